// Our codec against libtiff's one-dimensional Group 3 codec, both ways.
#include <gtest/gtest.h>

#include <random>

#include "apf_test_support.h"
#include "faximage/t4_table_decoder.h"
#include "t4_libtiff_support.h"
#include "t4_test_support.h"

namespace corvane::faximage {
namespace {

using testing::Raster;

// Rasters that stress the code tables: every run length class, runs at
// the line ends, the longest runs, alternate pixels. libtiff's decoder keeps
// room for at most width runs, one short of a line of single pixels that
// starts black (white 0 first), so that line is left out for it.
std::vector<Raster> TestRasters(int width, unsigned seed, bool forLibtiffDecoder) {
    std::mt19937 random(seed);
    std::vector<Raster> rows;
    rows.push_back(Raster(width / 8, 0));
    rows.push_back(Raster(width / 8, 0xFF));
    if (!forLibtiffDecoder)
        rows.push_back(Raster(width / 8, 0xAA));
    rows.push_back(Raster(width / 8, 0x55));
    for (int run : {1, 63, 64, 65, 127, 128, 1727, 1728, 1792, 2047}) {
        if (run > width)
            continue;
        Raster first(width / 8, 0), last(width / 8, 0);
        testing::SetBlack(first, 0, run);
        testing::SetBlack(last, width - run, width);
        rows.push_back(first);
        rows.push_back(last);
    }
    for (int i = 0; i < 40; ++i) rows.push_back(testing::TextLikeRaster(random, width));
    for (int i = 0; i < 20; ++i) rows.push_back(testing::NoiseRaster(random, width));
    return rows;
}

class LibtiffTest : public ::testing::TestWithParam<int> {
  protected:
    testing::TempDirectory dir_;
};

TEST_P(LibtiffTest, OurPagesDecodeWithLibtiff) {
    const int width = GetParam();
    for (int margin : {0, 50}) {
        const auto rows = TestRasters(width, 11, true);
        const auto page = testing::EncodePage(rows, width, margin);
        const auto decoded = testing::LibtiffDecode(dir_.File("ours.tif"), page, width,
                                                    static_cast<int>(rows.size()));
        ASSERT_EQ(decoded.size(), rows.size()) << "margin " << margin;
        for (std::size_t y = 0; y < rows.size(); ++y) {
            Raster expected(width / 8, 0);
            for (int x = margin; x < width; ++x)
                if (testing::IsBlack(rows[y].data(), x - margin))
                    testing::SetBlack(expected, x, x + 1);
            ASSERT_EQ(decoded[y], expected)
                << "width " << width << " margin " << margin << " row " << y;
        }
    }
}

TEST_P(LibtiffTest, LibtiffPagesDecodeWithOurs) {
    const int width = GetParam();
    const auto rows = TestRasters(width, 12, false);
    auto raw = testing::LibtiffEncode(dir_.File("theirs.tif"), rows, width);
    // End the page ourselves whether or not libtiff closed it with RTC.
    raw.insert(raw.end(), kEndOfPageRecord.begin(), kEndOfPageRecord.end());
    const auto result = testing::Decode<T4TableDecoder>(raw);
    EXPECT_EQ(result.badCodes, 0);
    EXPECT_TRUE(result.pageEnded);
    ASSERT_EQ(result.lines.size(), rows.size());
    for (std::size_t y = 0; y < rows.size(); ++y)
        ASSERT_EQ(result.lines[y], rows[y]) << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(Widths, LibtiffTest,
                         ::testing::Values(kStandardLineWidth, kWideLineWidth));

}  // namespace
}  // namespace corvane::faximage
