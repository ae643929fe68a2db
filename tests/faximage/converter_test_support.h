// Helpers for the converter and unpacker tests: raw APF page records and a
// plain decode of a page at full line width (scratch directories and file
// bytes come from the APF test helpers).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "apf_test_support.h"
#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"
#include "faximage/fax_unpacker.h"
#include "faximage/raster.h"

namespace corvane::faximage::testing {

// The counted-line records of a page, each without its length word.
inline std::vector<std::vector<std::uint8_t>> LineRecords(const std::string& path, int page) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::size_t offset = kApfFirstPageOffset;
    ApfPageHeader header;
    for (int i = 0; i < page; ++i) {
        header = DecodePageHeader(bytes.data() + offset);
        if (i + 1 < page)
            offset += kApfPageHeaderSize + header.dataLength;
    }
    std::vector<std::vector<std::uint8_t>> records;
    std::size_t at = offset + kApfPageHeaderSize;
    const std::size_t end = at + header.dataLength;
    while (at + 2 <= end) {
        const std::size_t length = bytes[at] | bytes[at + 1] << 8;
        records.emplace_back(bytes.begin() + at + 2, bytes.begin() + at + 2 + length);
        at += 2 + length;
    }
    return records;
}

// Every line of the page as decoded, at the page's full line width, with
// no aspect correction.
inline Raster DecodePage(const std::string& path, int page, int* code = nullptr) {
    ApfPageHeader header;
    LookupPageHeader(path, page, header);
    const int width = (header.pageFlags & pfWide) ? kWideLineWidth : kStandardLineWidth;
    std::vector<std::vector<std::uint8_t>> lines;
    std::unique_ptr<UnpackerState> state;
    CreateUnpacker(
        [&lines](UnpackerState&, int flags, const std::uint8_t* line, int, int length) {
            if (flags == ulLine)
                lines.emplace_back(line, line + length);
            return ecOK;
        },
        state);
    ClearUnpackOption(*state, 0xFFFF);
    const int result = DecodePageLines(*state, path, page);
    if (code)
        *code = result;
    Raster raster(width, static_cast<int>(lines.size()));
    for (std::size_t y = 0; y < lines.size(); ++y)
        std::copy_n(lines[y].begin(), std::min<std::size_t>(lines[y].size(), width / 8),
                    raster.Row(static_cast<int>(y)).begin());
    return raster;
}

// The code of the FaxError the action raises; ecOK when it raises none.
inline int ThrownCode(const std::function<void()>& action) {
    try {
        action();
    } catch (const FaxError& error) {
        return error.code();
    }
    return ecOK;
}

// A picture with a deterministic, text-like pattern of black runs.
inline Raster PatternRaster(int width, int height, unsigned seed = 1) {
    Raster raster(width, height);
    unsigned value = seed;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width;) {
            value = value * 1103515245u + 12345u;
            const int run = 1 + static_cast<int>((value >> 16) % 40);
            if ((value >> 8) & 1)
                raster.FillRect(x, y, run, 1, true);
            x += run;
        }
    }
    return raster;
}

}  // namespace corvane::faximage::testing
