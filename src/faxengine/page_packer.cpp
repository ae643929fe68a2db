#include "faxengine/page_packer.h"

#include <algorithm>
#include <array>

namespace corvane::engine {

namespace {
// An EOL in transmission order; it completes the line before it.
constexpr std::array<std::uint8_t, 2> kEol{0x00, 0x08};
constexpr std::array<std::uint8_t, faximage::kWideLineWidth / 8> kWhite{};
}  // namespace

PagePacker::PagePacker()
    : decoder_([this](const std::uint8_t* line, int bytes) { Line(line, bytes); }) {}

void PagePacker::Begin(std::size_t minLineBytes, int width) {
    whiteLine_.width = std::clamp(width, 0, faximage::kWideLineWidth);
    whiteLine_.margin = 0;
    faximage::EncodeLine(whiteLine_, kWhite.data());
    writer_.Reset(static_cast<int>(std::min<std::size_t>(minLineBytes, 0xFFFF)) * 8);
    decoder_.StartPage();
}

void PagePacker::Line(const std::uint8_t* raster, int bytes) {
    writer_.PutLine(raster, bytes * 8);
}

void PagePacker::Add(std::span<const std::uint8_t> coded) {
    decoder_.DecodeBlock(coded.data(), coded.size());
}

void PagePacker::AddWhiteLines(int count) {
    for (int i = 0; i < count; ++i) {
        Add(std::span(whiteLine_.buffer.data(), static_cast<std::size_t>(whiteLine_.bytePos)));
    }
}

void PagePacker::AddFill(std::size_t bytes) {
    writer_.PutFill(static_cast<int>(std::min<std::size_t>(bytes, 1 << 20)) * 8);
}

void PagePacker::End() {
    if (!decoder_.PageEnded()) {
        Add(kEol);
    }
    writer_.PutEndOfPage();
    writer_.Finish();
}

}  // namespace corvane::engine
