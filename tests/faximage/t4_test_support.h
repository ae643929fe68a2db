// Helpers for the codec tests: bit strings in sending order, rasters, and
// a decoder run that records every delivered line.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "faximage/t4_codec.h"

namespace corvane::faximage::testing {

// Packs bits given in sending order ("0001...") first bit into bit 0.
inline std::vector<std::uint8_t> PackBits(std::string_view bits) {
    std::vector<std::uint8_t> bytes((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1')
            bytes[i / 8] |= static_cast<std::uint8_t>(1 << (i % 8));
    return bytes;
}

// The bits of a coded stream in sending order.
inline std::string UnpackBits(const std::uint8_t* bytes, std::size_t size) {
    std::string bits;
    for (std::size_t i = 0; i < size * 8; ++i) bits += (bytes[i / 8] >> (i % 8) & 1) ? '1' : '0';
    return bits;
}

using Raster = std::vector<std::uint8_t>;

inline void SetBlack(Raster& raster, int from, int to) {
    for (int x = from; x < to; ++x) raster[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

inline bool IsBlack(const std::uint8_t* raster, int x) {
    return raster[x / 8] >> (7 - x % 8) & 1;
}

// Random horizontal strokes, like text or a drawing.
inline Raster TextLikeRaster(std::mt19937& random, int width) {
    Raster raster(width / 8, 0);
    std::uniform_int_distribution<int> start(0, width - 1), length(1, 40), count(0, 30);
    for (int n = count(random); n > 0; --n) {
        const int x = start(random);
        SetBlack(raster, x, std::min(width, x + length(random)));
    }
    return raster;
}

inline Raster NoiseRaster(std::mt19937& random, int width) {
    Raster raster(width / 8);
    for (auto& byte : raster) byte = static_cast<std::uint8_t>(random());
    return raster;
}

// Codes rasters as a page: the lines, then the end-of-page record.
inline std::vector<std::uint8_t> EncodePage(const std::vector<Raster>& lines, int width,
                                            int margin) {
    T4Encoder encoder;
    encoder.width = width;
    encoder.margin = margin;
    std::vector<std::uint8_t> page;
    for (const Raster& line : lines) {
        EncodeLine(encoder, line.data());
        page.insert(page.end(), encoder.buffer.begin(), encoder.buffer.begin() + encoder.bytePos);
    }
    page.insert(page.end(), kEndOfPageRecord.begin(), kEndOfPageRecord.end());
    return page;
}

struct DecodeResult {
    std::vector<Raster> lines;
    int badCodes = 0;
    bool pageEnded = false;
    std::size_t consumed = 0;

    bool operator==(const DecodeResult&) const = default;
};

template <typename Decoder>
DecodeResult Decode(const std::vector<std::uint8_t>& data) {
    DecodeResult result;
    Decoder decoder([&](const std::uint8_t* line, int bytes) {
        result.lines.emplace_back(line, line + bytes);
    });
    decoder.StartPage();
    result.consumed = decoder.DecodeBlock(data.data(), data.size());
    result.badCodes = decoder.BadCodes();
    result.pageEnded = decoder.PageEnded();
    return result;
}

}  // namespace corvane::faximage::testing
