#include "faximage/raster.h"

#include <gtest/gtest.h>

namespace corvane::faximage {
namespace {

TEST(Raster, RowsArePaddedAndLeftmostPixelIsTheHighBit) {
    Raster raster(10, 2);
    ASSERT_EQ(raster.BytesPerRow(), 2);
    raster.SetPixel(0, 0, true);
    raster.SetPixel(9, 1, true);
    EXPECT_EQ(raster.Row(0)[0], 0x80);
    EXPECT_EQ(raster.Row(1)[1], 0x40);
    raster.SetPixel(0, 0, false);
    EXPECT_EQ(raster.Row(0)[0], 0x00);
}

TEST(Raster, AccessOutsideIsHarmless) {
    Raster raster(8, 1);
    raster.SetPixel(8, 0, true);
    raster.SetPixel(-1, 0, true);
    raster.FillRect(-5, -5, 100, 100, true);
    EXPECT_EQ(raster.Row(0)[0], 0xFF);
    EXPECT_FALSE(raster.Pixel(8, 0));
    EXPECT_FALSE(raster.Pixel(0, 1));
}

TEST(Raster, ViewDescribesOneBitRows) {
    const Raster raster(1664, 3);
    const PictureView view = raster.View();
    EXPECT_EQ(view.bitsPerPixel, 1);
    EXPECT_EQ(view.bytesPerRow, 208);
    EXPECT_FALSE(view.IsEmpty());
    EXPECT_TRUE(Raster().View().IsEmpty());
}

}  // namespace
}  // namespace corvane::faximage
