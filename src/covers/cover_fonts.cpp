#include "cover_fonts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace corvane::covers {

namespace {

constexpr int kScreenDpi = 96;
constexpr int kMaxPixelHeight = 1000;

constexpr std::array<std::pair<const char*, const char*>, 9> kFreeFonts{{
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"MS Serif", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Arial Narrow", "Liberation Sans Narrow"},
}};

}  // namespace

int FontPixelHeight(int points) {
    const double pixels = std::lround(std::abs(static_cast<double>(points)) * kScreenDpi / 72.0);
    return static_cast<int>(std::clamp(pixels, 1.0, double{kMaxPixelHeight}));
}

QString FreeFontFamily(const QString& family) {
    const QString trimmed = family.trimmed();
    for (const auto& [windows, free] : kFreeFonts)
        if (trimmed.compare(QLatin1String(windows), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(free);
    return trimmed;
}

QFont CoverFont(const QString& family, int points, bool bold, bool italic, bool underline) {
    QFont font(FreeFontFamily(family));
    font.setPixelSize(FontPixelHeight(points));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    // The page is thresholded to one bit: whole-pixel hinting keeps stems even.
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

}  // namespace corvane::covers
