// What a decoder does with the codes it recognises: builds the line, hands
// finished lines on, counts EOLs and bad codes. Shared by both recognisers so
// they differ only in how they find codes in the bit stream.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "t4_codec.h"

namespace corvane::faximage {

class T4LineAssembler {
public:
    explicit T4LineAssembler(LineHandler handler) : handler_(std::move(handler)) {}

    void StartPage() {
        ClearLine();
        white_ = true;
        beforeFirstEol_ = true;
        eolCount_ = 0;
        badCodes_ = 0;
    }

    bool white() const { return white_; }
    bool PageEnded() const { return eolCount_ >= 3; }
    int BadCodes() const { return badCodes_; }

    // A run code. Runs before the page's first EOL and runs that would leave
    // the line buffer are ignored; only an applied terminating run switches
    // the colour.
    void Run(int run) {
        if (!beforeFirstEol_ && run / 8 + pixel_ / 8 < kDecoderLineBufferSize) {
            if (!white_) FillBlack(pixel_, pixel_ + run);
            pixel_ += run;
            if (run < 64) white_ = !white_;
        }
        eolCount_ = 0;
    }

    // Only lines of 1728-1735 or 2048-2055 pixels are whole fax lines.
    void EndOfLine() {
        const int bytes = pixel_ / 8;
        if ((bytes == kStandardLineWidth / 8 || bytes == kWideLineWidth / 8) && handler_) handler_(line_.data(), bytes);
        ClearLine();
        white_ = true;
        ++eolCount_;
        beforeFirstEol_ = false;
    }

    void BadCode() { ++badCodes_; }

private:
    static constexpr int kLinePixels = kDecoderLineBufferSize * 8;

    void ClearLine() {
        std::memset(line_.data(), 0, std::min(kDecoderLineBufferSize, (pixel_ + 7) / 8));
        pixel_ = 0;
    }

    // The admission test above lets the position pass the buffer end by a
    // few pixels; those pixels are never stored.
    void FillBlack(int from, int to) {
        to = std::min(to, kLinePixels);
        if (from >= to) return;
        const int first = from >> 3;
        const int last = to >> 3;
        const std::uint8_t head = static_cast<std::uint8_t>(0xFF >> (from & 7));
        const std::uint8_t tail = static_cast<std::uint8_t>(~(0xFF >> (to & 7)));
        if (first == last) {
            line_[first] |= head & tail;
            return;
        }
        line_[first] |= head;
        std::memset(line_.data() + first + 1, 0xFF, last - first - 1);
        if (to & 7) line_[last] |= tail;
    }

    LineHandler handler_;
    std::array<std::uint8_t, kDecoderLineBufferSize> line_{};
    int pixel_ = 0;
    bool white_ = true;
    bool beforeFirstEol_ = true;
    int eolCount_ = 0;
    int badCodes_ = 0;
};

// What both recognisers share: the line assembler and the page loop.
// Derived supplies DecodeByte; the loop calls it without a virtual call.
template <typename Derived>
class T4AssemblingDecoder : public T4Decoder {
public:
    std::size_t DecodeBlock(const std::uint8_t* data, std::size_t size) final {
        std::size_t used = 0;
        while (used < size && !line_.PageEnded()) static_cast<Derived*>(this)->Derived::DecodeByte(data[used++]);
        return used;
    }
    bool PageEnded() const final { return line_.PageEnded(); }
    int BadCodes() const final { return line_.BadCodes(); }

protected:
    explicit T4AssemblingDecoder(LineHandler handler) : line_(std::move(handler)) {}
    T4LineAssembler line_;
};

}  // namespace corvane::faximage
