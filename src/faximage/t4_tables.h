// The Modified Huffman code tables of one-dimensional T.4 coding, written
// first-bit-first as T.4 prints them, and their bit-reversed form (first bit
// in bit 0) in which the codec merges codes into and out of the stream.
// Everything here is built at compile time and checked by static_assert.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvane::faximage::t4 {

struct Code {
    std::uint16_t value = 0;  // the code's bits, in the order of the table it is in
    std::uint8_t length = 0;  // bits
};

inline constexpr int kTerminatingCount = 64;  // runs 0..63
inline constexpr int kOwnMakeUpCount = 27;    // 64..1728, per colour
inline constexpr int kMakeUpCount = 40;       // 64..2560: own codes, then the shared extended ones
inline constexpr int kMaxMakeUpRun = kMakeUpCount * 64;
inline constexpr int kMaxCodeLength = 13;

namespace detail {

constexpr Code FromBits(std::string_view bits) {
    Code code;
    for (char bit : bits) code.value = static_cast<std::uint16_t>(code.value << 1 | (bit == '1'));
    code.length = static_cast<std::uint8_t>(bits.size());
    return code;
}

template <std::size_t N>
constexpr std::array<Code, N> FromBitList(const std::array<std::string_view, N>& list) {
    std::array<Code, N> codes{};
    for (std::size_t i = 0; i < N; ++i) codes[i] = FromBits(list[i]);
    return codes;
}

// Runs 0..63.
inline constexpr std::array<std::string_view, 64> kWhiteTerminatingBits = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};

inline constexpr std::array<std::string_view, 64> kBlackTerminatingBits = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",
    "0010",         "00011",        "000101",       "000100",       "0000100",      "0000101",
    "0000111",      "00000100",     "00000111",     "000011000",    "0000010111",   "0000011000",
    "0000001000",   "00001100111",  "00001101000",  "00001101100",  "00000110111",  "00000101000",
    "00000010111",  "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111"};

// Runs 64..1728 in steps of 64.
inline constexpr std::array<std::string_view, kOwnMakeUpCount> kWhiteMakeUpBits = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};

inline constexpr std::array<std::string_view, kOwnMakeUpCount> kBlackMakeUpBits = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",
    "000000110100",  "000000110101",  "0000001101100", "0000001101101", "0000001001010",
    "0000001001011", "0000001001100", "0000001001101", "0000001110010", "0000001110011",
    "0000001110100", "0000001110101", "0000001110110", "0000001110111", "0000001010010",
    "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101"};

// Runs 1792..2560, the same for both colours.
inline constexpr std::array<std::string_view, kMakeUpCount - kOwnMakeUpCount> kExtendedMakeUpBits =
    {"00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011",
     "000000010100", "000000010101", "000000010110", "000000010111", "000000011100",
     "000000011101", "000000011110", "000000011111"};

constexpr std::array<Code, kMakeUpCount> JoinMakeUp(
    const std::array<std::string_view, kOwnMakeUpCount>& own) {
    std::array<Code, kMakeUpCount> codes{};
    for (int i = 0; i < kOwnMakeUpCount; ++i) codes[i] = FromBits(own[i]);
    for (int i = kOwnMakeUpCount; i < kMakeUpCount; ++i)
        codes[i] = FromBits(kExtendedMakeUpBits[i - kOwnMakeUpCount]);
    return codes;
}

constexpr Code Reversed(Code code) {
    Code reversed{0, code.length};
    for (int i = 0; i < code.length; ++i)
        if (code.value >> i & 1)
            reversed.value =
                static_cast<std::uint16_t>(reversed.value | 1 << (code.length - 1 - i));
    return reversed;
}

template <std::size_t N>
constexpr std::array<Code, N> ReversedAll(const std::array<Code, N>& codes) {
    std::array<Code, N> reversed{};
    for (std::size_t i = 0; i < N; ++i) reversed[i] = Reversed(codes[i]);
    return reversed;
}

}  // namespace detail

// One colour's codes, first bit first (T.4 order).
struct ColourCodes {
    std::array<Code, kTerminatingCount> terminating;  // index = run
    std::array<Code, kMakeUpCount> makeUp;            // index = run / 64 - 1
};

inline constexpr ColourCodes kWhiteCodes = {detail::FromBitList(detail::kWhiteTerminatingBits),
                                            detail::JoinMakeUp(detail::kWhiteMakeUpBits)};
inline constexpr ColourCodes kBlackCodes = {detail::FromBitList(detail::kBlackTerminatingBits),
                                            detail::JoinMakeUp(detail::kBlackMakeUpBits)};
inline constexpr Code kEol = detail::FromBits("000000000001");
inline constexpr Code kPaddedEol = detail::FromBits("0000000000000001");

// The same codes with the first bit in bit 0, as they are merged into the stream.
inline constexpr ColourCodes kWhiteStreamCodes = {detail::ReversedAll(kWhiteCodes.terminating),
                                                  detail::ReversedAll(kWhiteCodes.makeUp)};
inline constexpr ColourCodes kBlackStreamCodes = {detail::ReversedAll(kBlackCodes.terminating),
                                                  detail::ReversedAll(kBlackCodes.makeUp)};
inline constexpr Code kEolStream = detail::Reversed(kEol);
inline constexpr Code kPaddedEolStream = detail::Reversed(kPaddedEol);

constexpr const ColourCodes& StreamCodes(bool white) {
    return white ? kWhiteStreamCodes : kBlackStreamCodes;
}

namespace detail {

constexpr bool IsPrefix(Code shorter, Code longer) {
    return shorter.length <= longer.length &&
           (longer.value >> (longer.length - shorter.length)) == shorter.value;
}

// The colour's codes plus the EOL: every length in 2..13 and none a prefix of another.
constexpr bool IsPrefixFreeCodeSet(const ColourCodes& codes) {
    std::array<Code, kTerminatingCount + kMakeUpCount + 1> all{};
    int n = 0;
    for (Code c : codes.terminating) all[n++] = c;
    for (Code c : codes.makeUp) all[n++] = c;
    all[n++] = kEol;
    for (int i = 0; i < n; ++i) {
        if (all[i].length < 2 || all[i].length > kMaxCodeLength)
            return false;
        for (int j = 0; j < n; ++j)
            if (i != j && IsPrefix(all[i], all[j]))
                return false;
    }
    return true;
}

}  // namespace detail

static_assert(detail::kWhiteTerminatingBits.size() == 64 &&
              detail::kBlackTerminatingBits.size() == 64);
static_assert(kWhiteCodes.makeUp.size() == 40 && kBlackCodes.makeUp.size() == 40);
static_assert(detail::IsPrefixFreeCodeSet(kWhiteCodes),
              "white codes must be prefix-free, 2..13 bits");
static_assert(detail::IsPrefixFreeCodeSet(kBlackCodes),
              "black codes must be prefix-free, 2..13 bits");
static_assert(kWhiteCodes.makeUp[26].length == 9 && kBlackCodes.makeUp[39].length == 12);
static_assert(kPaddedEolStream.value == 0x8000 && kEolStream.value == 0x800);

}  // namespace corvane::faximage::t4
