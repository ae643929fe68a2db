#include <gtest/gtest.h>

#include "converter_test_support.h"
#include "faximage/fax_converter_codes.h"
#include "faximage/fax_converter_component.h"
#include "faximage/fax_unpacker.h"
#include "faximage/fax_unpacker_component.h"

namespace corvane::faximage {
namespace {

using testing::DecodePage;
using testing::PatternRaster;
using testing::ReadBytes;
using testing::TempDirectory;
using testing::ThrownCode;
using testing::WriteBytes;

// Pixel for pixel onto the line: no margin, centring or doubling.
void WriteFax(const std::string& path, const Raster& picture, bool fine, bool wide = false) {
    CvFaxConverter converter;
    converter.SetOptions(0);
    converter.SetLeftMargin(0);
    converter.SetResolution(fine ? FaxResolution::frHigh : FaxResolution::frNormal);
    converter.SetWidth(wide ? FaxWidth::fwWide : FaxWidth::fwNormal);
    converter.SetOutFileName(path);
    converter.ConvertBitmap(picture);
}

// Text lines (one black pixel at the left) separated by blank runs.
Raster TextWithGaps(const std::vector<int>& gaps, int trailingBlank) {
    int height = 1;
    for (int gap : gaps) height += gap + 1;
    height += trailingBlank;
    Raster picture(1728, height);
    int y = 0;
    picture.SetPixel(0, y, true);
    for (int gap : gaps) {
        y += gap + 1;
        picture.SetPixel(0, y, true);
    }
    return picture;
}

TEST(Unpacker, WhitespaceCompression) {
    struct Case {
        unsigned from, to;
        std::vector<int> gaps;
        int trailing;
        int expectedRows;
    };
    const Case cases[] = {
        {5, 2, {7}, 0, 2 + 2},                         // a run of 7 becomes 2
        {5, 2, {3}, 0, 2 + 3},                         // a run of 3 stays
        {5, 2, {}, 7, 1 + 2},                          // 7 at the end become 2
        {5, 2, {}, 3, 1 + 3},  {3, 3, {4}, 0, 2 + 3},  // 4 between become 3
        {3, 3, {}, 4, 1},                              // 4 at the end disappear
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.from << "/" << c.to << " trailing " << c.trailing);
        TempDirectory dir;
        const std::string path = dir.File("gaps.apf");
        WriteFax(path, TextWithGaps(c.gaps, c.trailing), true);
        CvFaxUnpacker unpacker;
        unpacker.SetInFileName(path);
        unpacker.SetWhitespaceCompression(true);
        unpacker.SetWhitespaceFrom(c.from);
        unpacker.SetWhitespaceTo(c.to);
        const Raster page = unpacker.PageBitmap(1);
        ASSERT_EQ(page.Height(), c.expectedRows);
        EXPECT_TRUE(page.Pixel(0, 0));
        if (!c.gaps.empty()) {
            EXPECT_TRUE(page.Pixel(0, c.expectedRows - 1));
        }
    }
}

TEST(Unpacker, WhitespaceLimitsAreChecked) {
    struct Case {
        unsigned from, to;
        int code;
    };
    std::unique_ptr<UnpackerState> state;
    ASSERT_EQ(CreateUnpacker(nullptr, state), ecOK);
    for (const Case c : {Case{0, 1, ecBadArgument}, Case{1, 2, ecBadArgument}, Case{0, 0, ecOK},
                         Case{5, 2, ecOK}, Case{3, 3, ecOK}})
        EXPECT_EQ(SetWhitespace(*state, c.from, c.to), c.code) << c.from << "/" << c.to;
}

TEST(Unpacker, BitmapIsAsWideAsTheContentRoundedTo16Pixels) {
    struct Case {
        int rightmostBlack;
        bool wide;
        int width;
    };
    for (const Case c : {Case{1713, false, 1728}, Case{100, false, 112}, Case{0, false, 16},
                         Case{2047, true, 2048}}) {
        TempDirectory dir;
        const std::string path = dir.File("width.apf");
        Raster picture(c.wide ? 2048 : 1728, 3);
        picture.SetPixel(c.rightmostBlack, 1, true);
        WriteFax(path, picture, true, c.wide);
        CvFaxUnpacker unpacker;
        unpacker.SetInFileName(path);
        const Raster page = unpacker.PageBitmap(1);
        EXPECT_EQ(page.Width(), c.width) << c.rightmostBlack;
        EXPECT_EQ(page.Height(), 3);
        EXPECT_TRUE(page.Pixel(c.rightmostBlack, 1));
    }
}

TEST(Unpacker, AutoScaleCorrectsOnlyStandardPages) {
    Raster picture(1728, 4);
    picture.SetPixel(0, 0, true);        // pair 0+1: one black pixel
    picture.FillRect(2, 1, 2, 1, true);  // pair 2+3: both black
    picture.FillRect(0, 3, 1728, 1, true);
    struct Case {
        AutoScaleMode mode;
        bool fine;
        int width, height;
    };
    const Case cases[] = {
        {AutoScaleMode::asDoubleHeight, false, 1728, 8},
        {AutoScaleMode::asHalfWidth, false, 864, 4},
        {AutoScaleMode::asNone, false, 1728, 4},
        {AutoScaleMode::asDoubleHeight, true, 1728, 4},
        {AutoScaleMode::asHalfWidth, true, 1728, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.mode) << " fine " << c.fine);
        TempDirectory dir;
        const std::string path = dir.File("aspect.apf");
        WriteFax(path, picture, c.fine);
        CvFaxUnpacker unpacker;
        unpacker.SetInFileName(path);
        unpacker.SetAutoScaleMode(c.mode);
        const Raster page = unpacker.PageBitmap(1);
        ASSERT_EQ(page.Width(), c.width);
        ASSERT_EQ(page.Height(), c.height);
        const int rowStep = c.height / 4;
        const int pixelStep = 1728 / c.width;
        for (int y = 0; y < page.Height(); ++y)
            for (int x = 0; x < page.Width(); ++x) {
                bool expected = false;
                for (int i = 0; i < pixelStep; ++i)
                    expected |= picture.Pixel(x * pixelStep + i, y / rowStep);
                ASSERT_EQ(page.Pixel(x, y), expected) << x << "," << y;
            }
    }
}

// Inverted lines (1 = white) are the negative, except that half width
// then keeps a pixel pair black only when both pixels are black.
TEST(Unpacker, InvertedBitmapsAreTheNegative) {
    TempDirectory dir;
    const std::string path = dir.File("invert.apf");
    Raster picture(1728, 2);
    picture.SetPixel(0, 0, true);
    picture.FillRect(2, 0, 2, 1, true);
    picture.FillRect(0, 1, 1728, 1, true);
    WriteFax(path, picture, false);
    for (const std::uint16_t mode :
         {std::uint16_t{0}, std::uint16_t{ufDoubleHeight}, std::uint16_t{ufHalfWidth}}) {
        std::unique_ptr<UnpackerState> state;
        ASSERT_EQ(CreateUnpacker(nullptr, state), ecOK);
        ClearUnpackOption(*state, 0xFFFF);
        SetUnpackOption(*state, mode);
        Raster normal, inverted;
        ASSERT_EQ(RenderPageBitmap(*state, path, 1, false, normal), ecOK);
        ASSERT_EQ(RenderPageBitmap(*state, path, 1, true, inverted), ecOK);
        ASSERT_EQ(inverted.Height(), normal.Height());
        for (int y = 0; y < normal.Height(); ++y) {
            for (int x = 0; x < 8; ++x) {
                // Half width, row 0: pair (0, 1) has one black pixel, pair (2, 3) two.
                const bool black = mode == ufHalfWidth && y == 0 ? x == 1 : normal.Pixel(x, y);
                EXPECT_EQ(!inverted.Pixel(x, y), black) << mode << " " << x << "," << y;
            }
        }
    }
}

TEST(Unpacker, WidePageAfterStandardPageUsesWideLines) {
    TempDirectory dir;
    const std::string standard = dir.File("standard.apf"), wide = dir.File("wide.apf");
    WriteFax(standard, PatternRaster(1728, 2), true);
    Raster widePicture(2048, 2);
    widePicture.SetPixel(2040, 0, true);
    WriteFax(wide, widePicture, true, true);
    CvFaxUnpacker unpacker;
    unpacker.SetInFileName(standard);
    EXPECT_FALSE(unpacker.IsFirstPageWide());
    unpacker.PageBitmap(1);
    unpacker.SetInFileName(wide);
    EXPECT_TRUE(unpacker.IsFirstPageWide());
    EXPECT_TRUE(unpacker.IsFirstPageFine());
    const Raster page = unpacker.PageBitmap(1);
    EXPECT_EQ(page.Width(), 2048);
    EXPECT_TRUE(page.Pixel(2040, 0));
}

TEST(Unpacker, ScalingKeepsThinStrokesWhenShrinking) {
    TempDirectory dir;
    const std::string path = dir.File("scale.apf");
    Raster picture(1728, 9);
    picture.FillRect(0, 5, 1728, 1, true);  // a one-line rule on an odd row
    picture.FillRect(101, 0, 1, 9, true);   // a one-pixel column at an odd x
    WriteFax(path, picture, true);
    struct Case {
        unsigned mult, div;
        int width, height;
    };
    for (const Case c : {Case{1, 2, 864, 4}, Case{2, 1, 3456, 18}, Case{1, 3, 576, 3}}) {
        CvFaxUnpacker unpacker;
        unpacker.SetInFileName(path);
        unpacker.SetScaling(true);
        unpacker.SetHorizMult(c.mult);
        unpacker.SetHorizDiv(c.div);
        unpacker.SetVertMult(c.mult);
        unpacker.SetVertDiv(c.div);
        const Raster page = unpacker.PageBitmap(1);
        ASSERT_EQ(page.Width(), c.width);
        ASSERT_EQ(page.Height(), c.height);
        const int ruleRow = static_cast<int>(5LL * c.mult / c.div),
                  column = static_cast<int>(101LL * c.mult / c.div);
        EXPECT_TRUE(page.Pixel(c.width / 2, ruleRow)) << c.mult << "/" << c.div;
        EXPECT_TRUE(page.Pixel(column, 0));
        EXPECT_FALSE(page.Pixel(column + 4, 0));
    }
}

TEST(Unpacker, AbortFromStatusKeepsTheLinesDecodedSoFar) {
    TempDirectory dir;
    const std::string path = dir.File("long.apf");
    WriteFax(path, PatternRaster(1728, 200), true);
    CvFaxUnpacker unpacker;
    unpacker.SetInFileName(path);
    unpacker.SetOnStatus([](CvFaxUnpacker& sender, const std::string&, int, long done, long total) {
        if (done > total / 2)
            sender.SetOptions(uoYield | uoAbort);
    });
    const Raster page = unpacker.PageBitmap(1);
    EXPECT_GT(page.Height(), 50);
    EXPECT_LT(page.Height(), 200);
    // A new operation starts without the abort.
    unpacker.SetOnStatus(nullptr);
    EXPECT_EQ(unpacker.PageBitmap(1).Height(), 200);
}

TEST(Unpacker, PageWithoutLinesGivesAnEmptyBitmap) {
    TempDirectory dir;
    const std::string path = dir.File("empty.apf");
    std::vector<std::uint8_t> bytes(64, 0);
    std::copy(kApfSignature.begin(), kApfSignature.end(), bytes.begin());
    bytes[32] = 1;   // one page
    bytes[34] = 64;  // first page offset
    const auto header = EncodePageHeader({14, pfCountedLines});
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), {12, 0});
    bytes.insert(bytes.end(), kEndOfPageRecord.begin(), kEndOfPageRecord.end());
    WriteBytes(path, bytes);
    CvFaxUnpacker unpacker;
    unpacker.SetInFileName(path);
    EXPECT_EQ(unpacker.GetPageCount(), 1);
    EXPECT_TRUE(unpacker.PageBitmap(1).IsEmpty());
}

TEST(Unpacker, StreamPagesDecodeLikeCountedPages) {
    TempDirectory dir;
    const std::string counted = dir.File("counted.apf"), stream = dir.File("stream.apf");
    WriteFax(counted, PatternRaster(1728, 30), true);
    // The same lines as one continuous stream.
    std::vector<std::uint8_t> bytes = ReadBytes(counted);
    std::vector<std::uint8_t> data;
    const ApfPageHeader countedHeader = DecodePageHeader(bytes.data() + 64);
    for (std::size_t at = 80; at < 80 + countedHeader.dataLength;) {
        const std::size_t length = bytes[at] | bytes[at + 1] << 8;
        data.insert(data.end(), bytes.begin() + at + 2, bytes.begin() + at + 2 + length);
        at += 2 + length;
    }
    bytes.resize(64);
    const auto header = EncodePageHeader({static_cast<std::uint32_t>(data.size()), pfFine});
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), data.begin(), data.end());
    WriteBytes(stream, bytes);
    EXPECT_EQ(DecodePage(stream, 1), DecodePage(counted, 1));
}

TEST(Unpacker, MissingAndForeignFilesRaiseTheirErrors) {
    TempDirectory dir;
    const std::string foreign = dir.File("foreign.apf");
    WriteBytes(foreign, std::vector<std::uint8_t>(200, 'x'));
    const std::string fax = dir.File("fax.apf");
    WriteFax(fax, Raster(8, 1), true);
    CvFaxUnpacker unpacker;
    unpacker.SetInFileName(dir.File("missing.apf"));
    EXPECT_EQ(ThrownCode([&] { unpacker.GetPageCount(); }), ecFileNotFound);
    unpacker.SetInFileName(foreign);
    EXPECT_EQ(ThrownCode([&] { unpacker.GetPageCount(); }), ecFaxBadFormat);
    unpacker.SetInFileName(fax);
    EXPECT_EQ(ThrownCode([&] { unpacker.PageBitmap(2); }), ecFaxBadFormat);
    unpacker.SetInFileName("");
    EXPECT_EQ(ThrownCode([&] { unpacker.PageBitmap(1); }), ecFileNotFound);
}

// Damaged copies of a good two-page file: every decode ends with one of the
// described codes, never reads past its buffers, never delivers a line
// wider than the page.
TEST(Unpacker, DamagedFilesFailCleanly) {
    TempDirectory dir;
    const std::string good = dir.File("good.apf");
    {
        const Raster first = PatternRaster(1728, 40, 3), second = PatternRaster(1728, 40, 4);
        const std::vector<PictureView> pages = {first.View(), second.View()};
        CvFaxConverter converter;
        converter.SetOptions(0);
        converter.SetLeftMargin(0);
        converter.SetOutFileName(good);
        converter.ConvertPages(pages);
    }
    const std::vector<std::uint8_t> original = ReadBytes(good);
    const std::size_t secondPage = 64 + 16 + DecodePageHeader(original.data() + 64).dataLength;
    struct Damage {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> apply;
        int page;
        std::vector<int> codes;
    };
    const auto setU16 = [](std::vector<std::uint8_t>& b, std::size_t at, int v) {
        b[at] = v & 0xFF;
        b[at + 1] = v >> 8;
    };
    const std::vector<Damage> damages = {
        {"truncated in page 1 data", [](auto& b) { b.resize(400); }, 1, {ecReadBeyondEnd}},
        {"truncated before page 2",
         [&](auto& b) { b.resize(secondPage + 4); },
         2,
         {ecReadBeyondEnd}},
        {"page count beyond the chain", [&](auto& b) { setU16(b, 32, 3); }, 3, {ecReadBeyondEnd}},
        {"huge line count", [&](auto& b) { setU16(b, 80, 0xFFFF); }, 1, {ecOK}},
        {"huge data length", [&](auto& b) { b[64 + 3] = 0x7F; }, 2, {ecReadBeyondEnd}},
        {"zero data length stream",
         [&](auto& b) { std::fill_n(b.begin() + 64, 6, 0); },
         1,
         {ecOK, ecFaxBadFormat}},
        {"first page offset past the end", [&](auto& b) { b[37] = 0x10; }, 1, {ecReadBeyondEnd}},
        {"garbage data",
         [&](auto& b) { std::fill(b.begin() + 100, b.begin() + 600, 0xA5); },
         1,
         {ecOK}},
        {"short header", [](auto& b) { b.resize(20); }, 1, {ecFaxBadFormat, ecReadBeyondEnd}},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        std::vector<std::uint8_t> bytes = original;
        damage.apply(bytes);
        const std::string path = dir.File("damaged.apf");
        WriteBytes(path, bytes);
        int code = ecOK;
        const Raster lines = DecodePage(path, damage.page, &code);
        EXPECT_NE(std::find(damage.codes.begin(), damage.codes.end(), code), damage.codes.end())
            << code;
        for (AutoScaleMode mode :
             {AutoScaleMode::asNone, AutoScaleMode::asDoubleHeight, AutoScaleMode::asHalfWidth}) {
            CvFaxUnpacker unpacker;
            unpacker.SetInFileName(path);
            unpacker.SetAutoScaleMode(mode);
            const int rendered =
                ThrownCode([&] { EXPECT_LE(unpacker.PageBitmap(damage.page).Width(), 1728); });
            EXPECT_NE(std::find(damage.codes.begin(), damage.codes.end(), rendered),
                      damage.codes.end())
                << rendered;
        }
    }
}

}  // namespace
}  // namespace corvane::faximage
