// Small coded pages for exchanges in tests.
#pragma once

#include <cstdint>
#include <vector>

#include "faximage/t4_codec.h"

namespace corvane::simmodem::testing {

// lines coded lines, each with a black bar that moves down the page, then RTC.
inline std::vector<std::uint8_t> CodedPage(int lines, int width = faximage::kStandardLineWidth) {
    faximage::T4Encoder encoder;
    encoder.width = width;
    std::vector<std::uint8_t> page;
    std::vector<std::uint8_t> raster(static_cast<std::size_t>(width / 8), 0);
    for (int line = 0; line < lines; ++line) {
        std::fill(raster.begin(), raster.end(), 0);
        for (int x = 0; x < 6; ++x)
            raster[static_cast<std::size_t>((line * 3 + x) % (width / 8 - 8))] = 0xFF;
        faximage::EncodeLine(encoder, raster.data());
        page.insert(page.end(), encoder.buffer.begin(), encoder.buffer.begin() + encoder.bytePos);
    }
    page.insert(page.end(), faximage::kEndOfPageRecord.begin(), faximage::kEndOfPageRecord.end());
    return page;
}

}  // namespace corvane::simmodem::testing
