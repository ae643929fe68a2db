#include "t4_table_decoder.h"

#include <array>
#include <bit>
#include <cstring>

#include "t4_tables.h"

namespace corvane::faximage {
namespace {

enum class Kind : std::uint8_t { Run, Eol, DeadEnd, Fill };

// What the next 13 bits begin with. length is how many bits decide it; the
// look-up is only trusted once that many bits are buffered, which makes
// the missing bits (zero in the accumulator) irrelevant.
struct Entry {
    std::uint16_t run = 0;
    std::uint8_t length = 0;
    Kind kind = Kind::DeadEnd;
};

constexpr int kIndexBits = t4::kMaxCodeLength;
constexpr int kEolZeros = t4::kEol.length - 1;
using Table = std::array<Entry, 1 << kIndexBits>;

constexpr void Fill(Table& table, t4::Code streamCode, Entry entry) {
    for (int high = 0; high < 1 << (kIndexBits - streamCode.length); ++high)
        table[high << streamCode.length | streamCode.value] = entry;
}

constexpr Table BuildTable(const t4::ColourCodes& codes) {
    Table table{};
    for (int index = 0; index < (1 << kIndexBits); ++index) {
        if ((index & ((1 << kEolZeros) - 1)) != 0)
            table[index] = {0, kIndexBits, Kind::DeadEnd};
        else if (index >> kEolZeros & 1)
            table[index] = {0, static_cast<std::uint8_t>(t4::kEol.length), Kind::Eol};
        else
            table[index] = {0, static_cast<std::uint8_t>(kEolZeros + 1), Kind::Fill};
    }
    for (int run = 0; run < t4::kTerminatingCount; ++run)
        Fill(table, codes.terminating[run],
             {static_cast<std::uint16_t>(run), codes.terminating[run].length, Kind::Run});
    for (int i = 0; i < t4::kMakeUpCount; ++i)
        Fill(table, codes.makeUp[i],
             {static_cast<std::uint16_t>((i + 1) * 64), codes.makeUp[i].length, Kind::Run});
    return table;
}

constexpr Table kWhiteTable = BuildTable(t4::kWhiteStreamCodes);
constexpr Table kBlackTable = BuildTable(t4::kBlackStreamCodes);

// The run codes of up to 9 bits (nearly all codes of a page) come from a
// 512-entry table that stays in the first-level cache; anything else is
// marked DeadEnd here and looked up in the full table.
constexpr int kShortIndexBits = 9;
using ShortTable = std::array<Entry, 1 << kShortIndexBits>;

constexpr ShortTable BuildShortTable(const Table& full) {
    ShortTable table{};
    for (int index = 0; index < (1 << kShortIndexBits); ++index)
        if (full[index].kind == Kind::Run && full[index].length <= kShortIndexBits)
            table[index] = full[index];
    return table;
}

constexpr ShortTable kWhiteShortTable = BuildShortTable(kWhiteTable);
constexpr ShortTable kBlackShortTable = BuildShortTable(kBlackTable);

// Two terminating codes in a row, this colour then the other, within the
// next 10 bits: the typical stroke-and-gap of text, applied in one step.
struct RunPair {
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    std::uint8_t length = 0;  // 0: no pair here
};

constexpr int kPairIndexBits = 10;
using PairTable = std::array<RunPair, 1 << kPairIndexBits>;

constexpr PairTable BuildPairTable(const ShortTable& colour, const ShortTable& other) {
    PairTable table{};
    for (int index = 0; index < (1 << kPairIndexBits); ++index) {
        const Entry first = colour[index & ((1 << kShortIndexBits) - 1)];
        if (first.kind != Kind::Run || first.run >= 64 || first.length >= kPairIndexBits)
            continue;
        const Entry second = other[index >> first.length];
        if (second.kind != Kind::Run || second.run >= 64 ||
            first.length + second.length > kPairIndexBits)
            continue;
        table[index] = {static_cast<std::uint8_t>(first.run), static_cast<std::uint8_t>(second.run),
                        static_cast<std::uint8_t>(first.length + second.length)};
    }
    return table;
}

constexpr PairTable kWhiteBlackPairs = BuildPairTable(kWhiteShortTable, kBlackShortTable);
constexpr PairTable kBlackWhitePairs = BuildPairTable(kBlackShortTable, kWhiteShortTable);
// Below this pixel two terminating runs are always admitted to the line.
constexpr int kPairSafePixel = kDecoderLineBufferSize * 8 - 2 * 64 - 8;

}  // namespace

T4TableDecoder::T4TableDecoder(LineHandler handler) : T4AssemblingDecoder(std::move(handler)) {}

void T4TableDecoder::StartPage() {
    line_.StartPage();
    bits_ = 0;
    bitCount_ = 0;
    skippingOnes_ = false;
}

void T4TableDecoder::DecodeByte(std::uint8_t byte) {
    bits_ |= std::uint64_t{byte} << bitCount_;
    bitCount_ += 8;
    DecodeBuffered(false);
}

// Takes in up to eight bytes at a time. The page may end only before a new
// byte, so when the third EOL arrives, the rest of its byte is still decoded
// and the bytes taken in after it are handed back.
std::size_t T4TableDecoder::DecodeBlock(const std::uint8_t* data, std::size_t size) {
    std::size_t loaded = 0;
    while (!line_.PageEnded()) {
        const int room = (64 - bitCount_) / 8;
        if (size - loaded >= 8) {
            std::uint64_t word;
            std::memcpy(&word, data + loaded, sizeof word);
            if constexpr (std::endian::native == std::endian::big)
                word = __builtin_bswap64(word);
            if (room < 8)
                word &= (std::uint64_t{1} << (8 * room)) - 1;
            bits_ |= word << bitCount_;
            bitCount_ += 8 * room;
            loaded += room;
        } else {
            while (bitCount_ <= 56 && loaded < size) {
                bits_ |= std::uint64_t{data[loaded++]} << bitCount_;
                bitCount_ += 8;
            }
        }
        if (DecodeBuffered(true)) {
            if (loaded == size)
                break;
            continue;
        }
        // The buffered bits end on a byte boundary: what lies beyond the
        // EOL's byte is whole bytes.
        const int laterBytes = bitCount_ / 8;
        bitCount_ %= 8;
        bits_ &= (std::uint64_t{1} << bitCount_) - 1;
        DecodeBuffered(false);
        loaded -= laterBytes;
        if (line_.PageEnded())
            break;
    }
    return loaded;
}

// Decodes every code whose bits are all buffered, as the tree walk would
// have by the same bit. With stopAtPageEnd it returns false right after the
// EOL that ends the page.
bool T4TableDecoder::DecodeBuffered(bool stopAtPageEnd) {
    std::uint64_t bits = bits_;
    int count = bitCount_;
    T4LineState line = line_.state();
    bool skippingOnes = skippingOnes_;
    bool going = true;
    for (;;) {
        if (skippingOnes) {
            const int ones = std::countr_one(bits);  // never more than count
            bits = ones < 64 ? bits >> ones : 0;  // a shift by 64 would leave the bits as they are
            count -= ones;
            if (count == 0)
                break;
            skippingOnes = false;
        }
        if (!line.beforeFirstEol && line.pixel < kPairSafePixel) {
            const RunPair pair =
                (line.white ? kWhiteBlackPairs
                            : kBlackWhitePairs)[bits & ((1u << kPairIndexBits) - 1)];
            if (pair.length != 0 && pair.length <= count) {
                bits >>= pair.length;
                count -= pair.length;
                line_.RunPair(line, pair.first, pair.second);
                continue;
            }
        }
        const Entry& shortEntry =
            (line.white ? kWhiteShortTable
                        : kBlackShortTable)[bits & ((1u << kShortIndexBits) - 1)];
        if (shortEntry.kind == Kind::Run) {
            if (shortEntry.length > count)
                break;
            bits >>= shortEntry.length;
            count -= shortEntry.length;
            line_.Run(line, shortEntry.run);
            continue;
        }
        const Entry entry =
            (line.white ? kWhiteTable : kBlackTable)[bits & ((1u << kIndexBits) - 1)];
        if (entry.length > count)
            break;
        if (entry.kind == Kind::Run) {
            bits >>= entry.length;
            count -= entry.length;
            line_.Run(line, entry.run);
            continue;
        }
        if (entry.kind == Kind::Fill) {
            // Any number of zeros may precede an EOL; keep only eleven.
            const int zeros = std::min(std::countr_zero(bits), count);
            bits >>= zeros - kEolZeros;
            count -= zeros - kEolZeros;
            continue;
        }
        bits >>= entry.length;
        count -= entry.length;
        if (entry.kind == Kind::DeadEnd) {
            line_.BadCode(line);
            skippingOnes = true;
            continue;
        }
        line_.EndOfLine(line);
        if (stopAtPageEnd && line.PageEnded()) {
            going = false;
            break;
        }
    }
    bits_ = bits;
    bitCount_ = count;
    line_.state() = line;
    skippingOnes_ = skippingOnes;
    return going;
}

}  // namespace corvane::faximage
