#include "t4_table_decoder.h"

#include <array>
#include <bit>

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
        Fill(table, codes.terminating[run], {static_cast<std::uint16_t>(run), codes.terminating[run].length, Kind::Run});
    for (int i = 0; i < t4::kMakeUpCount; ++i)
        Fill(table, codes.makeUp[i], {static_cast<std::uint16_t>((i + 1) * 64), codes.makeUp[i].length, Kind::Run});
    return table;
}

constexpr Table kWhiteTable = BuildTable(t4::kWhiteStreamCodes);
constexpr Table kBlackTable = BuildTable(t4::kBlackStreamCodes);

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
    DecodeBuffered();
}

// Decodes every code whose bits are all buffered, as the tree walk would
// have by the same bit.
void T4TableDecoder::DecodeBuffered() {
    for (;;) {
        if (skippingOnes_) {
            const int ones = std::countr_one(bits_);  // never more than bitCount_
            bits_ >>= ones;
            bitCount_ -= ones;
            if (bitCount_ == 0) return;
            skippingOnes_ = false;
        }
        const Table& table = line_.white() ? kWhiteTable : kBlackTable;
        const Entry entry = table[bits_ & ((1u << kIndexBits) - 1)];
        if (entry.length > bitCount_) return;
        switch (entry.kind) {
        case Kind::Run:
            bits_ >>= entry.length;
            bitCount_ -= entry.length;
            line_.Run(entry.run);
            break;
        case Kind::Eol:
            bits_ >>= entry.length;
            bitCount_ -= entry.length;
            line_.EndOfLine();
            break;
        case Kind::DeadEnd:
            bits_ >>= entry.length;
            bitCount_ -= entry.length;
            line_.BadCode();
            skippingOnes_ = true;
            break;
        case Kind::Fill: {
            // Any number of zeros may precede an EOL; keep only eleven.
            const int zeros = std::min(std::countr_zero(bits_), bitCount_);
            bits_ >>= zeros - kEolZeros;
            bitCount_ -= zeros - kEolZeros;
            break;
        }
        }
    }
}

}  // namespace corvane::faximage
