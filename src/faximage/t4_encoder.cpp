// Line encoder: whole codes are merged through a 64-bit accumulator and runs
// are found a machine word at a time, so no work is done per pixel.
#include <algorithm>
#include <bit>
#include <cstring>

#include "t4_codec.h"
#include "t4_tables.h"

namespace corvane::faximage {
namespace {

// Merges codes into the encoder buffer from its byte and bit position on.
// The bytes ahead of the position are zero (EncodeLine clears what the
// previous line used), so whole bytes are stored. Bytes that would fall past
// the buffer are dropped: no line codes that long.
class StreamWriter {
  public:
    explicit StreamWriter(T4Encoder& state)
        : state_(state),
          bytePos_(std::clamp(state.bytePos, 0, kEncoderBufferSize)),
          count_(state.bitPos & 7) {
        if (bytePos_ < kEncoderBufferSize)
            bits_ = state.buffer[bytePos_] & ((1u << count_) - 1);
    }

    void Put(std::uint32_t value, int length) {
        bits_ |= std::uint64_t{value} << count_;
        count_ += length;
        if (count_ >= 32) {
            if (bytePos_ + 4 <= kEncoderBufferSize) {
                std::uint8_t* out = state_.buffer.data() + bytePos_;
                out[0] = static_cast<std::uint8_t>(bits_);
                out[1] = static_cast<std::uint8_t>(bits_ >> 8);
                out[2] = static_cast<std::uint8_t>(bits_ >> 16);
                out[3] = static_cast<std::uint8_t>(bits_ >> 24);
            }
            bytePos_ += 4;
            bits_ >>= 32;
            count_ -= 32;
        }
    }
    void Put(t4::Code code) { Put(code.value, code.length); }

    void Run(int run, bool white) {
        const t4::ColourCodes& codes = t4::StreamCodes(white);
        run = std::max(run, 0);
        // Longer runs than one make-up code covers repeat the largest one.
        while (run >= t4::kMaxMakeUpRun + 64) {
            Put(codes.makeUp.back());
            run -= t4::kMaxMakeUpRun;
        }
        if (run >= 64) {
            const t4::Code makeUp = codes.makeUp[run / 64 - 1];
            const t4::Code terminating = codes.terminating[run % 64];
            Put(makeUp.value | std::uint32_t{terminating.value} << makeUp.length,
                makeUp.length + terminating.length);
        } else {
            Put(codes.terminating[run]);
        }
    }

    ~StreamWriter() {
        for (int i = 0; i < (count_ + 7) / 8; ++i)
            if (bytePos_ + i < kEncoderBufferSize)
                state_.buffer[bytePos_ + i] = static_cast<std::uint8_t>(bits_ >> (8 * i));
        state_.bytePos = std::min(bytePos_ + count_ / 8, kEncoderBufferSize);
        state_.bitPos = count_ % 8;
    }

  private:
    T4Encoder& state_;
    int bytePos_;
    int count_;
    std::uint64_t bits_ = 0;
};

constexpr int kMaxRasterBytes = kWideLineWidth / 8;

std::uint64_t LoadBigEndian64(const std::uint8_t* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
}

// First pixel at or after pos (and before end) whose colour is not the given one.
int NextChange(const std::uint8_t* raster, int pos, int end, bool black) {
    while (pos < end) {
        std::uint64_t word = LoadBigEndian64(raster + (pos >> 3));
        if (black)
            word = ~word;
        word <<= (pos & 7);
        if (word != 0)
            return std::min(end, pos + std::countl_zero(word));
        pos += 64 - (pos & 7);
    }
    return end;
}

}  // namespace

void EncodeRun(T4Encoder& state, int run, bool white) {
    StreamWriter writer(state);
    writer.Run(run, white);
}

void EncodeLine(T4Encoder& state, const std::uint8_t* raster) {
    std::memset(state.buffer.data(), 0, std::clamp(state.bytePos + 1, 1, kEncoderBufferSize));
    state.bytePos = 0;
    state.bitPos = 0;

    const int width = std::clamp(state.width, 0, kWideLineWidth);
    const int margin = std::clamp(state.margin, 0, width);
    const int scale = state.doubleWidth ? 2 : 1;
    const int rasterPixels = (width - margin) / scale;

    // A padded private copy lets the run search read whole words past the line.
    std::uint8_t pixels[kMaxRasterBytes + 8] = {};
    std::memcpy(pixels, raster, width / 8);

    {
        StreamWriter writer(state);
        writer.Put(t4::kPaddedEolStream);
        // Each run is held back one step so the last white run can be
        // stretched to fill the line (needed with double width).
        int coded = 0;
        int pendingRun = margin;
        bool pendingWhite = true;
        bool black = false;
        for (int pos = 0; pos < rasterPixels;) {
            const int next = NextChange(pixels, pos, rasterPixels, black);
            const int run = (next - pos) * scale;
            if (pendingWhite == !black) {
                pendingRun += run;  // the first white run absorbs the margin
            } else {
                writer.Run(pendingRun, pendingWhite);
                coded += pendingRun;
                pendingRun = run;
                pendingWhite = !black;
            }
            pos = next;
            black = !black;
        }
        if (!pendingWhite) {
            writer.Run(pendingRun, false);
            coded += pendingRun;
        }
        // The last white run ends the line at its full width.
        if (coded == 0 || coded < width)
            writer.Run(width - coded, true);
    }
    state.bytePos = std::min(state.bytePos + 2, kEncoderBufferSize);
}

void MakeEndOfPage(T4Encoder& state, std::uint8_t* destination, int& length) {
    state.buffer.fill(0);
    state.bytePos = 0;
    state.bitPos = 0;
    {
        StreamWriter writer(state);
        writer.Put(t4::kPaddedEolStream);
        for (int i = 0; i < 7; ++i) writer.Put(t4::kEolStream);
    }
    length = static_cast<int>(kEndOfPageRecord.size());
    std::memcpy(destination, state.buffer.data(), kEndOfPageRecord.size());
}

}  // namespace corvane::faximage
