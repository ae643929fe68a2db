// One-dimensional T.4 (Modified Huffman) line coding.
//
// Raster lines: 1 bit per pixel, 1 = black, leftmost pixel in the most
// significant bit. Coded data: the first bit on the line is bit 0 of a byte.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace corvane::faximage {

inline constexpr int kStandardLineWidth = 1728;  // pixels
inline constexpr int kWideLineWidth = 2048;
inline constexpr int kDefaultLeftMargin = 50;
inline constexpr int kEncoderBufferSize = 4096;
inline constexpr int kDecoderLineBufferSize = 512;

// The 12-byte end-of-page record: a padded EOL, six EOLs and eight zero bits.
inline constexpr std::array<std::uint8_t, 12> kEndOfPageRecord = {
    0x00, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00};

// Encoder state. After EncodeLine the coded line is buffer[0, bytePos).
struct T4Encoder {
    std::array<std::uint8_t, kEncoderBufferSize> buffer{};
    int bytePos = 0;
    int bitPos = 0;
    int width = kStandardLineWidth;   // W: 1728 or 2048
    int margin = kDefaultLeftMargin;  // M: white pixels coded in front of the raster
    bool doubleWidth = false;         // every raster run coded at twice its length
};

// Appends the codes of one run (make-up, then terminating, also for 0).
void EncodeRun(T4Encoder& state, int run, bool white);
// Codes one raster line (reads width / 8 bytes of raster).
void EncodeLine(T4Encoder& state, const std::uint8_t* raster);
// Writes kEndOfPageRecord into destination (12 bytes) and sets length to 12.
void MakeEndOfPage(T4Encoder& state, std::uint8_t* destination, int& length);

// Page data coded bit after bit, as it goes onto the line: no fill but the
// zeros a minimum scan-line time asks for, placed before each EOL. Stored
// line records carry byte padding and a padded EOL each; sending those as
// they are costs a sixth of the line time on a text page.
class T4PackedWriter {
  public:
    static constexpr int kEolsInRtc = 6;

    // Starts empty; each line, from the end of its EOL to the end of the
    // next, lasts at least minLineBits.
    void Reset(int minLineBits);
    // EOL and the codes of one raster line of width pixels.
    void PutLine(const std::uint8_t* raster, int width);
    // Zero bits, which before an EOL are fill.
    void PutFill(int bits);
    // RTC: six EOLs.
    void PutEndOfPage();
    // Zero bits up to the next byte boundary.
    void Finish();
    // Whole bytes coded so far and not yet taken, first bit in bit 0.
    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    void TakeBytes() { bytes_.clear(); }

  private:
    struct CodeSink;
    void Put(std::uint32_t value, int length);
    void PutEol(bool endsLine);

    std::vector<std::uint8_t> bytes_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    int lineBits_ = 0;  // since the end of the last EOL
    int minLineBits_ = 0;
};

// Receives each decoded line: byteCount is 216 or 256.
using LineHandler = std::function<void(const std::uint8_t* line, int byteCount)>;

// Decoder interface shared by the two recognisers below, which deliver the
// same lines for any input.
class T4Decoder {
  public:
    virtual ~T4Decoder() = default;
    // Resets to the start of a page: colour white, before the first EOL,
    // EOL count 0, bad flag clear, bad-code count 0, empty line.
    virtual void StartPage() = 0;
    // Decodes one byte, bits taken from bit 0 to bit 7.
    virtual void DecodeByte(std::uint8_t byte) = 0;
    // Decodes bytes until the page ends (checked before each byte); returns
    // how many bytes were consumed.
    virtual std::size_t DecodeBlock(const std::uint8_t* data, std::size_t size) = 0;
    // True once three EOLs followed each other without a run code between.
    virtual bool PageEnded() const = 0;
    virtual int BadCodes() const = 0;
};

// The fast recogniser the unpacker uses.
class T4TableDecoder;
// The reference recogniser: a walk over the two code trees, one bit at a time.
class T4TreeDecoder;

}  // namespace corvane::faximage
