#include "simmodem/page_scan.h"

#include "faximage/t4_table_decoder.h"

namespace corvane::simmodem {

namespace {

constexpr int kEolZeros = 11;

// Walks the bits (the first on the line is bit 0 of a byte) and reports each
// end-of-line code at the position just after its final 1 bit.
template <typename OnBit>
void ForEachBit(std::span<const std::uint8_t> data, OnBit onBit) {
    for (std::uint8_t byte : data) {
        for (int bit = 0; bit < 8; ++bit) {
            if (!onBit(((byte >> bit) & 1) != 0))
                return;
        }
    }
}

}  // namespace

PageScan ScanPage(std::span<const std::uint8_t> data, std::size_t minLineBytes) {
    PageScan scan;
    faximage::T4TableDecoder decoder([&scan](const std::uint8_t*, int byteCount) {
        const int width = byteCount * 8;
        if (scan.lines == 0) {
            scan.width = width;
        } else if (width != scan.width) {
            scan.mixedWidths = true;
        }
        ++scan.lines;
    });
    decoder.StartPage();
    decoder.DecodeBlock(data.data(), data.size());
    scan.badCodes = decoder.BadCodes();

    const std::size_t minBits = minLineBytes * 8;
    std::size_t position = 0;
    std::size_t lastEolEnd = 0;
    bool seenEol = false;
    bool hasCodes = false;
    int zeros = 0;
    int emptyInARow = 0;
    ForEachBit(data, [&](bool one) {
        ++position;
        if (!one) {
            ++zeros;
            return true;
        }
        if (zeros < kEolZeros) {
            hasCodes = true;
            zeros = 0;
            return true;
        }
        zeros = 0;
        if (seenEol) {
            if (hasCodes) {
                ++scan.codedLines;
                emptyInARow = 0;
                if (position - lastEolEnd < minBits)
                    ++scan.shortLines;
            } else if (++emptyInARow >= 2) {
                scan.endOfPage = true;
                return false;
            }
        }
        seenEol = true;
        hasCodes = false;
        lastEolEnd = position;
        return true;
    });
    return scan;
}

std::vector<std::uint8_t> PadLines(std::span<const std::uint8_t> data, std::size_t minLineBytes) {
    std::vector<std::uint8_t> out;
    out.reserve(data.size());
    std::size_t outBits = 0;
    auto put = [&](bool one) {
        if (outBits % 8 == 0)
            out.push_back(0);
        if (one)
            out.back() |= static_cast<std::uint8_t>(1u << (outBits % 8));
        ++outBits;
    };
    const std::size_t minBits = minLineBytes * 8;
    std::size_t lastEolEnd = 0;
    bool seenEol = false;
    bool hasCodes = false;
    int zeros = 0;
    ForEachBit(data, [&](bool one) {
        if (!one) {
            ++zeros;
            put(false);
            return true;
        }
        if (zeros < kEolZeros) {
            hasCodes = true;
            zeros = 0;
            put(true);
            return true;
        }
        zeros = 0;
        // Fill is zeros before the EOL's final 1: add them here.
        if (seenEol && hasCodes) {
            while (outBits + 1 - lastEolEnd < minBits) put(false);
        }
        put(true);
        seenEol = true;
        hasCodes = false;
        lastEolEnd = outBits;
        return true;
    });
    return out;
}

}  // namespace corvane::simmodem
