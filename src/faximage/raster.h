// The core's one-bit raster: 1 = black, leftmost pixel in the most
// significant bit, every row padded to whole bytes (pad bits kept white).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace corvane::faximage {

// A picture as handed to the converter: any depth, rows top to bottom.
// Only 1 bit per pixel with 1 = black is accepted for conversion; the
// depth is carried so that other pictures are refused, not misread.
struct PictureView {
    int width = 0;   // pixels
    int height = 0;  // rows
    int bitsPerPixel = 1;
    int bytesPerRow = 0;
    const std::uint8_t* bits = nullptr;  // height * bytesPerRow bytes

    bool IsEmpty() const { return width <= 0 || height <= 0 || bits == nullptr; }
};

class Raster {
  public:
    Raster() = default;
    Raster(int width, int height);  // all white

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BytesPerRow() const { return bytesPerRow_; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }

    std::span<std::uint8_t> Row(int y);
    std::span<const std::uint8_t> Row(int y) const;
    std::span<const std::uint8_t> Bytes() const { return bits_; }

    bool Pixel(int x, int y) const;           // true = black; false outside the raster
    void SetPixel(int x, int y, bool black);  // ignored outside the raster
    void FillRect(int x, int y, int width, int height, bool black);

    PictureView View() const;

    bool operator==(const Raster&) const = default;

  private:
    int width_ = 0;
    int height_ = 0;
    int bytesPerRow_ = 0;
    std::vector<std::uint8_t> bits_;
};

// Bytes needed for a row of width pixels at one bit per pixel.
constexpr int BytesForPixels(int width) {
    return (width + 7) / 8;
}

}  // namespace corvane::faximage
