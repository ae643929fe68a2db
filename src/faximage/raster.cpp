#include "raster.h"

#include <algorithm>
#include <stdexcept>

namespace corvane::faximage {

Raster::Raster(int width, int height) {
    if (width < 0 || height < 0)
        throw std::invalid_argument("negative raster size");
    width_ = width;
    height_ = height;
    bytesPerRow_ = BytesForPixels(width);
    bits_.assign(static_cast<std::size_t>(bytesPerRow_) * static_cast<std::size_t>(height), 0);
}

std::span<std::uint8_t> Raster::Row(int y) {
    return std::span(bits_).subspan(static_cast<std::size_t>(y) * bytesPerRow_, bytesPerRow_);
}

std::span<const std::uint8_t> Raster::Row(int y) const {
    return std::span(bits_).subspan(static_cast<std::size_t>(y) * bytesPerRow_, bytesPerRow_);
}

bool Raster::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return (Row(y)[x / 8] >> (7 - x % 8)) & 1;
}

void Raster::SetPixel(int x, int y, bool black) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    std::uint8_t& byte = Row(y)[x / 8];
    const auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
    byte = black ? (byte | mask) : (byte & ~mask);
}

void Raster::FillRect(int x, int y, int width, int height, bool black) {
    const int x0 = std::max(x, 0), x1 = std::min(x + width, width_);
    const int y0 = std::max(y, 0), y1 = std::min(y + height, height_);
    for (int row = y0; row < y1; ++row)
        for (int column = x0; column < x1; ++column) SetPixel(column, row, black);
}

PictureView Raster::View() const {
    return PictureView{width_, height_, 1, bytesPerRow_, bits_.empty() ? nullptr : bits_.data()};
}

}  // namespace corvane::faximage
