#include "display_image.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace corvane::viewer {
namespace {

// For every target index, the first and one-past-last source index it covers.
std::vector<std::pair<int, int>> Spans(int target, int source) {
    std::vector<std::pair<int, int>> spans(target);
    for (int i = 0; i < target; ++i) {
        const int first = static_cast<int>(static_cast<long long>(i) * source / target);
        const int last = static_cast<int>(static_cast<long long>(i + 1) * source / target);
        spans[i] = {first, std::max(last, first + 1)};
    }
    return spans;
}

QRgb Mix(QColor foreground, QColor background, int share, int whole) {
    const auto channel = [&](int fg, int bg) { return bg + (fg - bg) * share / whole; };
    return qRgb(channel(foreground.red(), background.red()),
                channel(foreground.green(), background.green()),
                channel(foreground.blue(), background.blue()));
}

}  // namespace

QImage DisplayImage(const faximage::Raster& page, int width, int height, QColor foreground,
                    QColor background) {
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    std::array<QRgb, 256> shades;
    for (int level = 0; level < 256; ++level)
        shades[level] = Mix(foreground, background, level, 255);
    const auto columns = Spans(width, page.Width());
    const auto rows = Spans(height, page.Height());
    std::vector<int> counts(page.Width());
    for (int y = 0; y < height; ++y) {
        std::fill(counts.begin(), counts.end(), 0);
        const auto [firstRow, endRow] = rows[y];
        for (int row = firstRow; row < endRow; ++row) {
            const auto bits = page.Row(row);
            for (int byte = 0; byte < page.BytesPerRow(); ++byte) {
                const std::uint8_t value = bits[byte];
                if (value == 0)
                    continue;
                for (int bit = 0; bit < 8; ++bit)
                    if (value & (0x80 >> bit) && byte * 8 + bit < page.Width())
                        ++counts[byte * 8 + bit];
            }
        }
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int rowSpan = endRow - firstRow;
        for (int x = 0; x < width; ++x) {
            const auto [first, end] = columns[x];
            int black = 0;
            for (int sx = first; sx < end; ++sx) black += counts[sx];
            line[x] = shades[black * 255 / ((end - first) * rowSpan)];
        }
    }
    return image;
}

QImage MonoImage(const faximage::Raster& page) {
    if (page.IsEmpty())
        return {};
    QImage image(page.Width(), page.Height(), QImage::Format_Mono);
    if (image.isNull())
        return {};
    // Black first: the PDF writer keeps such a picture at one bit per
    // pixel instead of turning it into a lossy colour picture.
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < page.Height(); ++y)
        std::transform(page.Row(y).begin(), page.Row(y).end(), image.scanLine(y),
                       [](std::uint8_t bits) { return static_cast<std::uint8_t>(~bits); });
    return image;
}

QImage MonoBlock(const faximage::Raster& page, int x, int y, int width, int height) {
    return MonoImage(page).copy(x, y, width, height);
}

}  // namespace corvane::viewer
