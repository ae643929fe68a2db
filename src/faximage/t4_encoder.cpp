// Line encoder: whole codes are merged through a 64-bit accumulator and runs
// are found a machine word at a time, so no work is done per pixel.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "t4_codec.h"
#include "t4_tables.h"

namespace corvane::faximage {
namespace {

// The codes of one run (make-up, then terminating, also for 0) into any
// writer with Put(code) and PutPair(code, code).
template <typename Writer>
void PutRun(Writer& writer, int run, bool white) {
    const t4::ColourCodes& codes = t4::StreamCodes(white);
    run = std::max(run, 0);
    // Longer runs than one make-up code covers repeat the largest one.
    while (run >= t4::kMaxMakeUpRun + 64) {
        writer.Put(codes.makeUp.back());
        run -= t4::kMaxMakeUpRun;
    }
    if (run >= 64) {
        writer.PutPair(codes.makeUp[run / 64 - 1], codes.terminating[run % 64]);
    } else {
        writer.Put(codes.terminating[run]);
    }
}

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

    void PutPair(t4::Code first, t4::Code second) {
        Put(first.value | std::uint32_t{second.value} << first.length,
            first.length + second.length);
    }
    void Run(int run, bool white) { PutRun(*this, run, white); }

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

// Codes the runs of one line: margin white pixels, then rasterPixels pixels
// of the raster each scale times, the last white run stretched to width.
// Each run is held back one step so that stretch is possible.
template <typename Writer>
void CodeRuns(Writer& writer, const std::uint8_t* pixels, int rasterPixels, int margin, int scale,
              int width) {
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
    if (coded == 0 || coded < width)
        writer.Run(width - coded, true);
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
        CodeRuns(writer, pixels, rasterPixels, margin, scale, width);
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

struct T4PackedWriter::CodeSink {
    T4PackedWriter& writer;
    void Put(t4::Code code) { writer.Put(code.value, code.length); }
    void PutPair(t4::Code first, t4::Code second) { Put(first), Put(second); }
    void Run(int run, bool white) { PutRun(*this, run, white); }
};

void T4PackedWriter::Reset(int minLineBits) {
    bytes_.clear();
    bits_ = 0;
    count_ = 0;
    lineBits_ = 0;
    minLineBits_ = std::max(minLineBits, 0);
}

void T4PackedWriter::Put(std::uint32_t value, int length) {
    bits_ |= std::uint64_t{value} << count_;
    count_ += length;
    lineBits_ += length;
    while (count_ >= 8) {
        bytes_.push_back(static_cast<std::uint8_t>(bits_));
        bits_ >>= 8;
        count_ -= 8;
    }
}

void T4PackedWriter::PutFill(int bits) {
    for (; bits > 0; bits -= 24) Put(0, std::min(bits, 24));
}

void T4PackedWriter::PutEol(bool endsLine) {
    // A line lasts from the end of its EOL to the end of the next one; its
    // fill goes just before that next EOL.
    if (endsLine)
        PutFill(minLineBits_ - lineBits_ - t4::kEolStream.length);
    Put(t4::kEolStream.value, t4::kEolStream.length);
    lineBits_ = 0;
}

void T4PackedWriter::PutLine(const std::uint8_t* raster, int width) {
    width = std::clamp(width, 0, kWideLineWidth);
    std::uint8_t pixels[kMaxRasterBytes + 8] = {};
    std::memcpy(pixels, raster, static_cast<std::size_t>(width / 8));
    PutEol(true);
    CodeSink sink{*this};
    CodeRuns(sink, pixels, width, 0, 1, width);
}

void T4PackedWriter::PutEndOfPage() {
    // The first EOL ends the last line; the others carry no line to time.
    for (int i = 0; i < kEolsInRtc; ++i) PutEol(i == 0);
}

void T4PackedWriter::Finish() {
    if (count_ > 0)
        Put(0, 8 - count_);
}

}  // namespace corvane::faximage
