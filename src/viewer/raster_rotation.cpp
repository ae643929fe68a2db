#include "raster_rotation.h"

#include <cstdint>

namespace corvane::viewer {
namespace {

using faximage::Raster;

inline bool Black(const std::uint8_t* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

inline void SetBlack(std::uint8_t* row, int x) {
    row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
}

// Visits every black pixel of the source with its target position.
template <typename Place>
Raster Turned(const Raster& source, int width, int height, Place place) {
    Raster target(width, height);
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* row = source.Row(y).data();
        for (int byte = 0; byte < source.BytesPerRow(); ++byte) {
            if (row[byte] == 0)
                continue;
            for (int x = byte * 8; x < byte * 8 + 8 && x < source.Width(); ++x)
                if (Black(row, x)) {
                    const auto [tx, ty] = place(x, y);
                    SetBlack(target.Row(ty).data(), tx);
                }
        }
    }
    return target;
}

}  // namespace

Raster RotateRaster(const Raster& source, int quarterTurns) {
    const int w = source.Width();
    const int h = source.Height();
    switch (((quarterTurns % 4) + 4) % 4) {
        case 1:
            return Turned(source, h, w, [h](int x, int y) { return std::pair{h - 1 - y, x}; });
        case 2:
            return Turned(source, w, h, [w, h](int x, int y) {
                return std::pair{w - 1 - x, h - 1 - y};
            });
        case 3:
            return Turned(source, h, w, [w](int x, int y) { return std::pair{y, w - 1 - x}; });
        default:
            return source;
    }
}

}  // namespace corvane::viewer
