#include "viewer/print_layout.h"

#include <gtest/gtest.h>

namespace corvane::viewer {
namespace {

TEST(CaptionTokens, AreReplacedAsWholeWordsFromDollarToBlank) {
    const TokenValues values{"12/11/26", "/fax/A.APF", 5, 2, "16:40:00"};
    const struct {
        const char* caption;
        const char* expected;
    } cases[] = {
        {"FILE: $F", "FILE: /fax/A.APF"},
        {"Page: $P of $N", "Page: 2 of 5"},
        {"$d at $t", "12/11/26 at 16:40:00"},
        {"no tokens", "no tokens"},
        // A token glued to text swallows it.
        {"page $Pof $N", "page 2 5"},
        // A lone "$", an unknown letter, and one at the very end vanish.
        {"a $ b", "a  b"},
        {"x $Q y", "x  y"},
        {"end $", "end "},
        // Replacements are not scanned again.
        {"$F", "/fax/A.APF"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandTokens(c.caption, values), c.expected) << c.caption;
    EXPECT_EQ(ExpandTokens("$F $P", {"", "/a/$P.apf", 1, 7, ""}), "/a/$P.apf 7");
}

TEST(MultiPagePlacement, FourPortraitPagesInReadingOrderAndTwoLandscapeSideBySide) {
    // Pages 1 to 6 of a job on 1000 x 1400 portrait sheets.
    const PrintRect portrait[] = {{2, 2, 498, 698},      {502, 2, 998, 698}, {2, 702, 498, 1398},
                                  {502, 702, 998, 1398}, {2, 2, 498, 698},   {502, 2, 998, 698}};
    const bool newSheet[] = {false, false, false, false, true, false};
    for (int index = 0; index < 6; ++index) {
        EXPECT_EQ(PageArea(1000, 1400, true, false, index), portrait[index]) << index;
        EXPECT_EQ(StartsNewSheet(index, true, false), newSheet[index]) << index;
    }
    // Pages 1 to 3 on 1400 x 1000 landscape sheets: left, right, then left again.
    const PrintRect landscape[] = {{2, 2, 698, 998}, {702, 2, 1398, 998}, {2, 2, 698, 998}};
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(PageArea(1400, 1000, true, true, index), landscape[index]) << index;
        EXPECT_EQ(StartsNewSheet(index, true, true), index == 2) << index;
    }
    // One page per sheet without MultiPage.
    EXPECT_EQ(PageArea(1000, 1400, false, false, 3), (PrintRect{2, 2, 998, 1398}));
    EXPECT_TRUE(StartsNewSheet(1, false, false));
    EXPECT_FALSE(StartsNewSheet(0, false, false));
}

TEST(FitToPage, KeepsTheAspectAndFillsOneSide) {
    const struct {
        int pictureWidth, pictureHeight, areaWidth, areaHeight;
        PrintScale scale;
        PrintSize expected;
    } cases[] = {
        {100, 200, 300, 400, PrintScale::psFitToPage, {200, 400}},
        {100, 200, 150, 400, PrintScale::psFitToPage, {150, 300}},
        // A fine page on a sheet at 600 dpi: bound by the width, or by the
        // height of a wider sheet.
        {1728, 2200, 4800, 6400, PrintScale::psFitToPage, {4800, 6111}},
        {1728, 2200, 6000, 6400, PrintScale::psFitToPage, {5027, 6400}},
        // Rounded to the nearest pixel, not cut.
        {3, 2, 100, 1, PrintScale::psFitToPage, {2, 1}},
        {100, 200, 50, 150, PrintScale::psNone, {100, 150}},
        {100, 200, 50, 400, PrintScale::psNone, {100, 200}},
        {0, 200, 50, 400, PrintScale::psFitToPage, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            DestinationSize(c.pictureWidth, c.pictureHeight, c.areaWidth, c.areaHeight, c.scale),
            c.expected)
            << c.pictureWidth << "x" << c.pictureHeight << " on " << c.areaWidth << "x"
            << c.areaHeight;
}

}  // namespace
}  // namespace corvane::viewer
