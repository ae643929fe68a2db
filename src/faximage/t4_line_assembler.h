// What a decoder does with the codes it recognises: builds the line, hands
// finished lines on, counts EOLs and bad codes. Shared by both recognisers so
// they differ only in how they find codes in the bit stream.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "t4_codec.h"

namespace corvane::faximage {

// The assembler's small state, kept apart from the line buffer so a hot loop
// can hold a copy in registers (stores into the byte buffer could otherwise
// alias it) and hand it back when it is done.
struct T4LineState {
    int pixel = 0;
    bool white = true;
    bool beforeFirstEol = true;
    int eolCount = 0;
    int badCodes = 0;

    bool PageEnded() const { return eolCount >= 3; }
};

class T4LineAssembler {
  public:
    explicit T4LineAssembler(LineHandler handler) : handler_(std::move(handler)) {}

    void StartPage() {
        ClearLine(state_);
        state_ = T4LineState{};
    }

    T4LineState& state() { return state_; }
    const T4LineState& state() const { return state_; }
    bool white() const { return state_.white; }
    bool PageEnded() const { return state_.PageEnded(); }
    int BadCodes() const { return state_.badCodes; }

    // A run code. Runs before the page's first EOL and runs that would leave
    // the line buffer are ignored; only an applied terminating run switches
    // the colour.
    void Run(T4LineState& s, int run) {
        if (!s.beforeFirstEol && run / 8 + s.pixel / 8 < kDecoderLineBufferSize) {
            if (!s.white)
                FillBlack(s.pixel, s.pixel + run);
            s.pixel += run;
            if (run < 64)
                s.white = !s.white;
        }
        s.eolCount = 0;
    }

    // Two admitted terminating runs, this colour then the other; the caller
    // has checked that both fit and that the page's first EOL has passed.
    void RunPair(T4LineState& s, int first, int second) {
        if (s.white) {
            FillBlack(s.pixel + first, s.pixel + first + second);
        } else {
            FillBlack(s.pixel, s.pixel + first);
        }
        s.pixel += first + second;
        s.eolCount = 0;
    }

    // Only lines of 1728-1735 or 2048-2055 pixels are whole fax lines.
    void EndOfLine(T4LineState& s) {
        const int bytes = s.pixel / 8;
        if ((bytes == kStandardLineWidth / 8 || bytes == kWideLineWidth / 8) && handler_)
            handler_(line_.data(), bytes);
        ClearLine(s);
        s.white = true;
        ++s.eolCount;
        s.beforeFirstEol = false;
    }

    void BadCode(T4LineState& s) { ++s.badCodes; }

    void Run(int run) { Run(state_, run); }
    void EndOfLine() { EndOfLine(state_); }
    void BadCode() { BadCode(state_); }

  private:
    static constexpr int kLinePixels = kDecoderLineBufferSize * 8;

    void ClearLine(T4LineState& s) {
        std::memset(line_.data(), 0, std::min(kDecoderLineBufferSize, (s.pixel + 7) / 8));
        s.pixel = 0;
    }

    // The admission test above lets the position pass the buffer end by a
    // few pixels; those pixels are never stored. Bits are set a 64-bit word
    // at a time; the word may reach into the spare bytes after the line.
    void FillBlack(int from, int to) {
        to = std::min(to, kLinePixels);
        while (from < to) {
            const int offset = from & 7;
            const int count = std::min(to - from, 64 - offset);
            const std::uint64_t mask = (~std::uint64_t{0} >> (64 - count)) << (64 - offset - count);
            std::uint8_t* at = line_.data() + (from >> 3);
            std::uint64_t word;
            std::memcpy(&word, at, sizeof word);
            word |= std::endian::native == std::endian::little ? __builtin_bswap64(mask) : mask;
            std::memcpy(at, &word, sizeof word);
            from += count;
        }
    }

    LineHandler handler_;
    static constexpr int kSpareBytes = 8;  // never part of a line
    std::array<std::uint8_t, kDecoderLineBufferSize + kSpareBytes> line_{};
    T4LineState state_;
};

// What both recognisers share: the line assembler and the page loop.
// Derived supplies DecodeByte; the loop calls it without a virtual call.
template <typename Derived>
class T4AssemblingDecoder : public T4Decoder {
  public:
    std::size_t DecodeBlock(const std::uint8_t* data, std::size_t size) override {
        std::size_t used = 0;
        while (used < size && !line_.PageEnded())
            static_cast<Derived*>(this)->Derived::DecodeByte(data[used++]);
        return used;
    }
    bool PageEnded() const final { return line_.PageEnded(); }
    int BadCodes() const final { return line_.BadCodes(); }

  protected:
    explicit T4AssemblingDecoder(LineHandler handler) : line_(std::move(handler)) {}
    T4LineAssembler line_;
};

}  // namespace corvane::faximage
