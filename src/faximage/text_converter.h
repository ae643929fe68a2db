// Text rows in the built-in fax font: a converter state with a glyph store,
// so that callers draw raster lines with RenderTextRow and code them with
// EncodeLine and MakeEndOfPage on the same state.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "fax_converter.h"

namespace corvane::faximage {

inline constexpr int kSmallFontBytesPerGlyph = 16;
inline constexpr int kStandardFontBytesPerGlyph = 48;
inline constexpr int kGlyphStoreSize = 256 * 2 * kStandardFontBytesPerGlyph;

struct FontMetrics {
    int bytesPerGlyph = 0;
    int width = 0;  // pixels; each cell includes its spacing
    int bytesPerRow = 0;
    int rows = 0;

    bool operator==(const FontMetrics&) const = default;
};

struct TextConverter {
    std::unique_ptr<ConverterState> converter;
    bool fontLoaded = false;
    FontMetrics metrics;
    std::array<std::uint8_t, kGlyphStoreSize> glyphs{};
};

// 0 or ecOutOfMemory; the converter state has "TXT" as default extension.
int CreateTextConverter(std::unique_ptr<TextConverter>& state);
void FreeTextConverter(std::unique_ptr<TextConverter>& state);

// Loads the standard font for bytesPerGlyph 48, else the small one; with
// doubleRows every glyph row is drawn twice (fine pages). The font file
// name is accepted for callers' sake; the font is compiled in, so this
// cannot fail and returns 0.
int LoadFaxFont(TextConverter& state, const std::string& fontFileName, int bytesPerGlyph,
                bool doubleRows);

// ORs glyph row `row` (from 1) of every character before the first NUL
// into raster, character k at pixels k * width onward. Rows outside the
// font draw nothing; pixels beyond the raster are not drawn.
void RenderTextRow(const TextConverter& state, std::string_view text, int row,
                   std::span<std::uint8_t> raster);

}  // namespace corvane::faximage
