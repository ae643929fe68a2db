#include "viewer/fax_pages.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "../app/temp_dir.h"
#include "../faximage/apf_test_support.h"
#include "../support/fax_pages.h"
#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"
#include "viewer/raster_rotation.h"

namespace corvane::viewer {
namespace {

using faximage::AutoScaleMode;
using faximage::Raster;
using testing::BarPage;
using testing::TempDir;
using testing::WriteFax;

TEST(RotateRaster, TurnsPixelsClockwise) {
    Raster page(24, 10);
    page.SetPixel(3, 1, true);
    page.SetPixel(23, 9, true);
    const struct {
        int turns, width, height;
        int x1, y1, x2, y2;  // where (3, 1) and (23, 9) go
    } cases[] = {
        {1, 10, 24, 8, 3, 0, 23},
        {2, 24, 10, 20, 8, 0, 0},
        {3, 10, 24, 1, 20, 9, 0},
    };
    for (const auto& c : cases) {
        const Raster turned = RotateRaster(page, c.turns);
        EXPECT_EQ(turned.Width(), c.width) << c.turns;
        EXPECT_EQ(turned.Height(), c.height) << c.turns;
        EXPECT_TRUE(turned.Pixel(c.x1, c.y1)) << c.turns;
        EXPECT_TRUE(turned.Pixel(c.x2, c.y2)) << c.turns;
    }
    EXPECT_EQ(RotateRaster(RotateRaster(page, 3), 1), page);
    EXPECT_EQ(RotateRaster(page, 4), page);
}

class FaxPagesTest : public ::testing::Test {
  protected:
    TempDir dir;
};

TEST_F(FaxPagesTest, PagesDecodeOnDemandAndOnlyAFewStayInMemory) {
    const std::string path = dir.path() + "long.apf";
    std::vector<Raster> pages;
    for (int i = 0; i < 30; ++i) pages.push_back(BarPage(1728, 200, 5 + i));
    WriteFax(path, pages);
    FaxPages fax;
    ASSERT_EQ(fax.Open(path), 0);
    EXPECT_EQ(fax.PageCount(), 30);
    EXPECT_FALSE(fax.IsCached(1));
    for (int page = 1; page <= 30; ++page) {
        const FaxPage* decoded = fax.Page(page);
        ASSERT_NE(decoded, nullptr);
        EXPECT_TRUE(decoded->picture.Pixel(0, 5 + page - 1)) << page;
    }
    int cached = 0;
    for (int page = 1; page <= 30; ++page) cached += fax.IsCached(page);
    EXPECT_EQ(cached, FaxPages::kCachedPages);
    EXPECT_EQ(fax.Page(31), nullptr);
    EXPECT_EQ(fax.Page(0), nullptr);

    fax.SetKeepAll(true);
    for (int page = 1; page <= 30; ++page) fax.Page(page);
    for (int page = 1; page <= 30; ++page) EXPECT_TRUE(fax.IsCached(page));
}

TEST_F(FaxPagesTest, ThePageShapeFollowsResolutionAndWidth) {
    const std::string fine = dir.path() + "fine.apf";
    const std::string standard = dir.path() + "standard.apf";
    const std::string wide = dir.path() + "wide.apf";
    WriteFax(fine, {BarPage(1728, 1000, 10, 1)});
    WriteFax(standard, {BarPage(1728, 1000, 10, 1)}, {.fine = false});
    WriteFax(wide, {BarPage(2048, 1000, 10, 1)}, {.fine = true, .wide = true});
    const struct {
        const std::string& path;
        AutoScaleMode mode;
        int width, height;
    } cases[] = {
        {fine, AutoScaleMode::asDoubleHeight, 1728, 1000},
        {fine, AutoScaleMode::asHalfWidth, 1728, 1000},
        {standard, AutoScaleMode::asDoubleHeight, 1728, 2000},
        {standard, AutoScaleMode::asHalfWidth, 864, 1000},
        {standard, AutoScaleMode::asNone, 1728, 1000},
        {wide, AutoScaleMode::asDoubleHeight, 2048, 1000},
    };
    for (const auto& c : cases) {
        const FaxPage page = DecodeFaxPage(c.path, 1, c.mode);
        EXPECT_EQ(page.code, 0) << c.path;
        EXPECT_EQ(page.picture.Width(), c.width) << c.path << " mode " << int(c.mode);
        EXPECT_EQ(page.picture.Height(), c.height) << c.path << " mode " << int(c.mode);
    }
}

TEST_F(FaxPagesTest, ADamagedPageKeepsWhatDecodedAndAMissingOneReportsItsError) {
    const std::string path = dir.path() + "cut.apf";
    WriteFax(path, {BarPage(1728, 800, 10), BarPage(1728, 800, 10)});
    // Cut the file in the middle of the second page and claim a third.
    std::vector<std::uint8_t> bytes = faximage::testing::ReadBytes(path);
    faximage::ApfFileHeader header = faximage::DecodeFileHeader(bytes.data());
    header.pageCount = 3;
    const auto head = faximage::EncodeFileHeader(header);
    std::copy(head.begin(), head.end(), bytes.begin());
    bytes.resize(bytes.size() - 1500);
    faximage::testing::WriteBytes(path, bytes);

    FaxPages fax;
    ASSERT_EQ(fax.Open(path), 0);
    EXPECT_EQ(fax.Page(1)->code, 0);
    EXPECT_EQ(fax.Page(1)->picture.Height(), 800);
    const FaxPage* cut = fax.Page(2);
    EXPECT_NE(cut->code, 0);
    EXPECT_GT(cut->picture.Height(), 10);
    EXPECT_LT(cut->picture.Height(), 800);
    EXPECT_TRUE(cut->picture.Pixel(0, 10));
    const FaxPage* missing = fax.Page(3);
    EXPECT_LT(missing->code, 0);
    EXPECT_TRUE(missing->picture.IsEmpty());
}

TEST_F(FaxPagesTest, FilesThatAreNoFaxAreRefused) {
    FaxPages fax;
    EXPECT_EQ(fax.Open(dir.path() + "missing.apf"), ecFileNotFound);
    EXPECT_EQ(fax.Open(dir.path()), ecFileNotFound);
    EXPECT_EQ(fax.Open(dir.Write("text.apf", "hello, not a fax")), ecFaxBadFormat);
    EXPECT_FALSE(fax.IsOpen());
}

TEST_F(FaxPagesTest, RotationTurnsCachedAndLaterPages) {
    const std::string path = dir.path() + "two.apf";
    WriteFax(path, {BarPage(1728, 300, 0, 1, 0, 8), BarPage(1728, 300, 0, 1, 0, 8)});
    FaxPages fax;
    ASSERT_EQ(fax.Open(path), 0);
    fax.Page(1);
    fax.SetRotation(3);
    fax.SetRotation(1);  // a further two turns: one quarter turn in all
    EXPECT_EQ(fax.Page(1)->picture.Width(), 300);
    EXPECT_TRUE(fax.Page(1)->picture.Pixel(299, 0));
    // Decoded now: turned once, by the rotation in force.
    EXPECT_FALSE(fax.IsCached(2));
    EXPECT_TRUE(fax.Page(2)->picture.Pixel(299, 0));
    EXPECT_EQ(fax.Page(2)->picture.Height(), 1728);
}

}  // namespace
}  // namespace corvane::viewer
