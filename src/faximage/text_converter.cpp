#include "text_converter.h"

#include <algorithm>
#include <new>

#include "fax_errors.h"
#include "fax_font_data.h"

namespace corvane::faximage {
namespace {

inline constexpr FontMetrics kSmallFont{kSmallFontBytesPerGlyph, 12, 2, 8};
inline constexpr FontMetrics kStandardFont{kStandardFontBytesPerGlyph, 20, 3, 16};

}  // namespace

int CreateTextConverter(std::unique_ptr<TextConverter>& state) {
    try {
        state = std::make_unique<TextConverter>();
    } catch (const std::bad_alloc&) {
        return ecOutOfMemory;
    }
    const int code = CreateConverterState(nullptr, "TXT", state->converter);
    if (code != ecOK)
        state.reset();
    return code;
}

void FreeTextConverter(std::unique_ptr<TextConverter>& state) {
    state.reset();
}

int LoadFaxFont(TextConverter& state, const std::string& /*fontFileName*/, int bytesPerGlyph,
                bool doubleRows) {
    const auto resource = FaxFontResource();
    static_assert(decltype(resource)::extent == kFaxFontSize);
    const bool standard = bytesPerGlyph == kStandardFontBytesPerGlyph;
    FontMetrics metrics = standard ? kStandardFont : kSmallFont;
    const auto source =
        resource.subspan(standard ? kStandardFontOffset : 0, 256 * metrics.bytesPerGlyph);
    if (!doubleRows) {
        std::copy(source.begin(), source.end(), state.glyphs.begin());
    } else {
        const int bpg = metrics.bytesPerGlyph, bpr = metrics.bytesPerRow;
        for (int glyph = 0; glyph < 256; ++glyph) {
            for (int row = 0; row < metrics.rows; ++row) {
                const auto from = source.begin() + glyph * bpg + row * bpr;
                auto to = state.glyphs.begin() + glyph * 2 * bpg + 2 * row * bpr;
                std::copy_n(from, bpr, to);
                std::copy_n(from, bpr, to + bpr);
            }
        }
        metrics.bytesPerGlyph *= 2;
        metrics.rows *= 2;
    }
    state.metrics = metrics;
    state.fontLoaded = true;
    return ecOK;
}

void RenderTextRow(const TextConverter& state, std::string_view text, int row,
                   std::span<std::uint8_t> raster) {
    const FontMetrics& font = state.metrics;
    if (!state.fontLoaded || row < 1 || row > font.rows)
        return;
    std::size_t bit = 0;
    for (const char character : text) {
        if (character == '\0')
            return;  // the text ends at its terminator, as in a C string
        const auto glyph = static_cast<std::uint8_t>(character);
        const std::uint8_t* source =
            state.glyphs.data() + glyph * font.bytesPerGlyph + (row - 1) * font.bytesPerRow;
        const std::size_t shift = bit % 8;
        for (int i = 0; i < font.bytesPerRow; ++i) {
            const std::size_t at = bit / 8 + i;
            if (at >= raster.size())
                return;
            raster[at] |= static_cast<std::uint8_t>(source[i] >> shift);
            if (shift != 0 && at + 1 < raster.size())
                raster[at + 1] |= static_cast<std::uint8_t>(source[i] << (8 - shift));
        }
        bit += font.width;
    }
}

}  // namespace corvane::faximage
