#include "faximage/text_converter.h"

#include <gtest/gtest.h>

#include <vector>

#include "faximage/fax_errors.h"
#include "faximage/fax_font_data.h"

namespace corvane::faximage {
namespace {

std::unique_ptr<TextConverter> LoadedConverter(int bytesPerGlyph, bool doubleRows) {
    std::unique_ptr<TextConverter> state;
    EXPECT_EQ(CreateTextConverter(state), ecOK);
    EXPECT_EQ(LoadFaxFont(*state, "CVFAX.FNT", bytesPerGlyph, doubleRows), ecOK);
    return state;
}

// Pixel x of glyph row `row` (from 0) straight from the font resource.
bool GlyphPixel(bool standard, int glyph, int row, int x) {
    const FontMetrics m = standard ? FontMetrics{48, 20, 3, 16} : FontMetrics{16, 12, 2, 8};
    const auto font = FaxFontResource().subspan(standard ? 4096 : 0);
    return (font[glyph * m.bytesPerGlyph + row * m.bytesPerRow + x / 8] >> (7 - x % 8)) & 1;
}

bool RasterPixel(const std::vector<std::uint8_t>& raster, int x) {
    return (raster[x / 8] >> (7 - x % 8)) & 1;
}

TEST(TextConverter, FontMetricsAndRowDoubling) {
    struct Case {
        int bytesPerGlyph;
        bool doubleRows;
        FontMetrics expected;
    };
    const Case cases[] = {
        {16, false, {16, 12, 2, 8}}, {16, true, {32, 12, 2, 16}}, {48, false, {48, 20, 3, 16}},
        {48, true, {96, 20, 3, 32}}, {30, false, {16, 12, 2, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bytesPerGlyph << (c.doubleRows ? " doubled" : ""));
        const auto state = LoadedConverter(c.bytesPerGlyph, c.doubleRows);
        EXPECT_TRUE(state->fontLoaded);
        EXPECT_EQ(state->metrics, c.expected);
        const bool standard = c.bytesPerGlyph == 48;
        const int scale = c.doubleRows ? 2 : 1;
        for (int glyph = 0; glyph < 256; ++glyph) {
            std::vector<std::uint8_t> raster(8, 0);
            for (int row = 1; row <= c.expected.rows; ++row) {
                std::fill(raster.begin(), raster.end(), 0);
                RenderTextRow(*state, std::string(1, static_cast<char>(glyph)), row, raster);
                for (int x = 0; x < c.expected.width; ++x)
                    ASSERT_EQ(RasterPixel(raster, x),
                              GlyphPixel(standard, glyph, (row - 1) / scale, x))
                        << "glyph " << glyph << " row " << row << " x " << x;
            }
        }
    }
}

TEST(TextConverter, CharactersSitSideBySide) {
    const auto state = LoadedConverter(48, false);
    for (int row = 1; row <= 16; ++row) {
        std::vector<std::uint8_t> raster(16, 0);
        // Drawing ends at a NUL, as with the C strings of the callers.
        RenderTextRow(*state, std::string_view("AB\0C", 4), row, raster);
        for (int x = 0; x < 60; ++x) {
            const bool expected = x < 20   ? GlyphPixel(true, 'A', row - 1, x)
                                  : x < 40 ? GlyphPixel(true, 'B', row - 1, x - 20)
                                           : false;
            ASSERT_EQ(RasterPixel(raster, x), expected) << "row " << row << " x " << x;
        }
    }
}

TEST(TextConverter, RowsOutsideTheFontDrawNothing) {
    const auto state = LoadedConverter(48, false);
    for (int row : {0, -1, 17, 1000}) {
        std::vector<std::uint8_t> raster(16, 0);
        RenderTextRow(*state, "AB", row, raster);
        EXPECT_EQ(raster, std::vector<std::uint8_t>(16, 0)) << row;
    }
}

TEST(TextConverter, DrawingTwiceChangesNothing) {
    const auto state = LoadedConverter(16, true);
    std::vector<std::uint8_t> once(40, 0);
    RenderTextRow(*state, "Fax 0123 #", 5, once);
    std::vector<std::uint8_t> twice = once;
    RenderTextRow(*state, "Fax 0123 #", 5, twice);
    EXPECT_EQ(once, twice);
    EXPECT_NE(once, std::vector<std::uint8_t>(40, 0));
}

TEST(TextConverter, DrawingStopsAtTheEndOfTheRaster) {
    const auto state = LoadedConverter(48, false);
    std::vector<std::uint8_t> buffer(8, 0);
    // Two glyphs need 40 pixels; only 3 bytes are offered.
    RenderTextRow(*state, "MMMM", 8, std::span(buffer).first(3));
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin() + 3, buffer.end()),
              std::vector<std::uint8_t>(5, 0));
}

}  // namespace
}  // namespace corvane::faximage
