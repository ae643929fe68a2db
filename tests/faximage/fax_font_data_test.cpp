#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "faximage/fax_font_data.h"

namespace corvane::faximage {
namespace {

struct FontLayout {
    const char* name;
    int offset;
    int width;
    int rows;
    int bytesPerRow;
};

constexpr FontLayout kFonts[] = {{"small", kSmallFontOffset, 12, 8, 2},
                                 {"standard", kStandardFontOffset, 20, 16, 3}};

std::vector<std::uint8_t> Glyph(const FontLayout& font, int code) {
    const auto resource = FaxFontResource();
    const int size = font.rows * font.bytesPerRow;
    const auto start = resource.begin() + font.offset + code * size;
    return {start, start + size};
}

TEST(FaxFontData, BlankOnlyForNulSpaceAndFF) {
    for (const FontLayout& font : kFonts) {
        for (int code = 0; code < 256; ++code) {
            const auto glyph = Glyph(font, code);
            const bool blank =
                std::all_of(glyph.begin(), glyph.end(), [](auto b) { return b == 0; });
            EXPECT_EQ(blank, code == 0 || code == 32 || code == 255)
                << font.name << " glyph " << code;
        }
    }
}

TEST(FaxFontData, PixelsStayInsideTheCellWidth) {
    for (const FontLayout& font : kFonts) {
        const int unusedBits = font.bytesPerRow * 8 - font.width;
        for (int code = 0; code < 256; ++code) {
            const auto glyph = Glyph(font, code);
            for (int row = 0; row < font.rows; ++row)
                EXPECT_EQ(
                    glyph[row * font.bytesPerRow + font.bytesPerRow - 1] & ((1 << unusedBits) - 1),
                    0)
                    << font.name << " glyph " << code << " row " << row;
        }
    }
}

// Catches a generator that maps several codes to one glyph.
TEST(FaxFontData, LettersAndDigitsAreDistinct) {
    for (const FontLayout& font : kFonts) {
        std::set<std::vector<std::uint8_t>> seen;
        for (const char* range : {"AZ", "az", "09"})
            for (int code = range[0]; code <= range[1]; ++code)
                EXPECT_TRUE(seen.insert(Glyph(font, code)).second)
                    << font.name << " '" << char(code) << "'";
    }
}

}  // namespace
}  // namespace corvane::faximage
