#include "faxengine/page_packer.h"

#include <algorithm>
#include <array>

namespace corvane::engine {

namespace {
// An EOL in transmission order; it completes the line before it.
constexpr std::array<std::uint8_t, 2> kEol{0x00, 0x08};
constexpr std::array<std::uint8_t, faximage::kWideLineWidth / 8> kWhite{};

int Width(PageForm form) {
    return form.wide ? faximage::kWideLineWidth : faximage::kStandardLineWidth;
}

bool Black(const std::uint8_t* raster, int x) {
    return (raster[x / 8] >> (7 - x % 8)) & 1;
}

void SetBlack(std::uint8_t* raster, int x) {
    raster[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

// A line brought to another width: narrower by scaling, a target pixel
// black when any source pixel under it is, so thin strokes survive; wider
// by centring on white.
void Rewidth(const std::uint8_t* raster, int from, std::uint8_t* out, int to) {
    std::fill(out, out + to / 8, 0);
    if (to >= from) {
        const int offset = (to - from) / 2;
        for (int x = 0; x < from; ++x)
            if (Black(raster, x))
                SetBlack(out, x + offset);
        return;
    }
    for (int x = 0; x < from; ++x)
        if (Black(raster, x))
            SetBlack(out, x * to / from);
}
}  // namespace

PagePacker::PagePacker()
    : decoder_([this](const std::uint8_t* line, int bytes) { Line(line, bytes); }) {}

void PagePacker::Begin(std::size_t minLineBytes, PageForm session) {
    session_ = source_ = session;
    hasPending_ = false;
    whiteLine_.width = Width(session);
    whiteLine_.margin = 0;
    faximage::EncodeLine(whiteLine_, kWhite.data());
    writer_.Reset(static_cast<int>(std::min<std::size_t>(minLineBytes, 0xFFFF)) * 8);
    decoder_.StartPage();
}

void PagePacker::FlushLine() {
    if (!decoder_.PageEnded())
        Add(kEol);
}

void PagePacker::SetSource(PageForm source) {
    FlushLine();
    decoder_.StartPage();
    source_ = source;
}

void PagePacker::Line(const std::uint8_t* raster, int bytes) {
    const int width = Width(session_);
    if (bytes * 8 != width) {
        scaled_.resize(static_cast<std::size_t>(width / 8));
        Rewidth(raster, bytes * 8, scaled_.data(), width);
        raster = scaled_.data();
    }
    if (source_.fine == session_.fine) {
        Put(raster);
    } else if (!source_.fine) {
        Put(raster);  // a standard line is two fine ones
        Put(raster);
    } else if (!hasPending_) {
        pending_.assign(raster, raster + width / 8);
        hasPending_ = true;
    } else {
        // Two fine lines make one standard line; black wins.
        for (std::size_t i = 0; i < pending_.size(); ++i) pending_[i] |= raster[i];
        hasPending_ = false;
        Put(pending_.data());
    }
}

void PagePacker::Put(const std::uint8_t* raster) {
    writer_.PutLine(raster, Width(session_));
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
    FlushLine();
    if (hasPending_) {
        hasPending_ = false;
        Put(pending_.data());  // an odd last fine line
    }
    writer_.PutEndOfPage();
    writer_.Finish();
}

}  // namespace corvane::engine
