#include <gtest/gtest.h>

#include <cstring>

#include "converter_test_support.h"
#include "faximage/fax_converter.h"
#include "faximage/fax_converter_codes.h"
#include "faximage/fax_converter_component.h"
#include "faximage/yield_hook.h"

namespace corvane::faximage {
namespace {

using testing::DecodePage;
using testing::LineRecords;
using testing::PatternRaster;
using testing::ReadBytes;
using testing::TempDirectory;
using testing::ThrownCode;
using Bytes = std::vector<std::uint8_t>;

const Bytes kEndOfPage(kEndOfPageRecord.begin(), kEndOfPageRecord.end());

CvFaxConverter ConverterTo(const std::string& path) {
    CvFaxConverter converter;
    converter.SetOutFileName(path);
    return converter;
}

TEST(Converter, BlankRowGivesTheSmallestPage) {
    TempDirectory dir;
    const std::string path = dir.File("blank.apf");
    CvFaxConverter converter = ConverterTo(path);
    converter.ConvertBitmap(Raster(1664, 1));

    ApfFileHeader header;
    ASSERT_EQ(ReadApfHeader(path, header), ecOK);
    EXPECT_EQ(header.pageCount, 1);
    ApfPageHeader page;
    ASSERT_EQ(LookupPageHeader(path, 1, page), ecOK);
    EXPECT_EQ(page.dataLength, 22u);
    EXPECT_EQ(page.pageFlags, pfCountedLines);
    const auto records = LineRecords(path, 1);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], (Bytes{0x00, 0x80, 0xB2, 0x59, 0x01, 0x00}));
    EXPECT_EQ(records[1], kEndOfPage);
}

TEST(Converter, WidePagesAreFlaggedAndCodedAt2048) {
    TempDirectory dir;
    const std::string path = dir.File("wide.apf");
    CvFaxConverter converter = ConverterTo(path);
    converter.SetWidth(FaxWidth::fwWide);
    converter.SetResolution(FaxResolution::frHigh);
    converter.ConvertBitmap(Raster(100, 1));
    ApfPageHeader page;
    ASSERT_EQ(LookupPageHeader(path, 1, page), ecOK);
    EXPECT_EQ(page.pageFlags, pfCountedLines | pfWide | pfFine);
    EXPECT_EQ(LineRecords(path, 1)[0], (Bytes{0x00, 0x80, 0x80, 0xCC, 0x0A, 0x00}));
}

// Where each picture row lands on the coded line, by converter settings.
struct PlacementCase {
    const char* name;
    int pictureWidth;
    std::uint16_t options;
    bool fine;
    unsigned margin;
    int firstPixel;  // line pixel of picture pixel 0
    int scale;       // 2 with double width
    int codedRows;   // of a 6-row picture
};

class ConverterPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(ConverterPlacement, RowsRoundTripPixelForPixel) {
    const PlacementCase& c = GetParam();
    TempDirectory dir;
    const std::string path = dir.File("page.apf");
    const Raster picture = PatternRaster(c.pictureWidth, 6);
    CvFaxConverter converter = ConverterTo(path);
    converter.SetOptions(c.options);
    converter.SetResolution(c.fine ? FaxResolution::frHigh : FaxResolution::frNormal);
    converter.SetLeftMargin(c.margin);
    converter.ConvertBitmap(picture);

    const Raster page = DecodePage(path, 1);
    ASSERT_EQ(page.Width(), kStandardLineWidth);
    ASSERT_EQ(page.Height(), c.codedRows);
    const int rowStep = picture.Height() / c.codedRows;
    for (int y = 0; y < page.Height(); ++y) {
        for (int x = 0; x < page.Width(); ++x) {
            const int source = x - c.firstPixel;
            const bool expected = source >= 0 && picture.Pixel(source / c.scale, y * rowStep);
            ASSERT_EQ(page.Pixel(x, y), expected) << "line " << y << " pixel " << x;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConverterPlacement,
    ::testing::Values(
        // The row fills pixels 0-1663 and white follows.
        PlacementCase{"FineNoMargin", 1664, coYield, true, 0, 0, 1, 6},
        // Shifted by the margin; the rightmost 14 pixels of the row are cut.
        PlacementCase{"FineMargin50", 1664, coYield, true, 50, 50, 1, 6},
        // 2 x 600 <= 1728 - 50: every pixel coded twice.
        PlacementCase{"DoubleWidth", 600, coDoubleWidth, false, 50, 50, 2, 6},
        // Fine pages are never doubled.
        PlacementCase{"FineNotDoubled", 600, coDoubleWidth, true, 50, 50, 1, 6},
        // (1728 - 1600) div 16 = 8 bytes of centring.
        PlacementCase{"Centred", 1600, coCenterImage, false, 50, 50 + 64, 1, 6},
        // Double width and centring: (1728 - 1200) div 32 = 16 bytes, doubled too.
        PlacementCase{"CentredDoubled", 600, coDoubleWidth | coCenterImage, false, 50, 50 + 2 * 128,
                      2, 6},
        // Only lines 1, 3, 5 are coded.
        PlacementCase{"HalfHeight", 800, coHalfHeight, false, 50, 50, 1, 3},
        // Wider than the line: cut, never overrun.
        PlacementCase{"WiderThanLine", 5000, 0, false, 50, 50, 1, 6}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Converter, TopMarginLinesComeFirst) {
    struct Case {
        FaxWidth width;
        std::size_t bytes;
    };
    for (const Case c : {Case{FaxWidth::fwNormal, 4}, Case{FaxWidth::fwWide, 5}}) {
        TempDirectory dir;
        const std::string path = dir.File("top.apf");
        CvFaxConverter converter = ConverterTo(path);
        converter.SetWidth(c.width);
        converter.SetOptions(0);
        converter.SetTopMargin(2);
        Raster picture(64, 1);
        picture.FillRect(0, 0, 8, 1, true);
        converter.ConvertBitmap(picture);
        const auto records = LineRecords(path, 1);
        ASSERT_EQ(records.size(), 4u);
        EXPECT_EQ(records[0].size(), c.bytes);
        EXPECT_EQ(records[1], records[0]);
        const Raster page = DecodePage(path, 1);
        ASSERT_EQ(page.Height(), 3);
        EXPECT_FALSE(page.Pixel(50, 1));
        EXPECT_TRUE(page.Pixel(50, 2));
    }
}

TEST(Converter, PadBitsBeyondThePictureWidthStayWhite) {
    TempDirectory dir;
    const std::string path = dir.File("pad.apf");
    // Three pixels wide, but the row's byte and an extra padding byte are all ones.
    const std::vector<std::uint8_t> bits = {0xFF, 0xFF, 0xFF, 0xFF};
    const PictureView picture{3, 2, 1, 2, bits.data()};
    CvFaxConverter converter = ConverterTo(path);
    converter.SetOptions(0);
    converter.SetLeftMargin(0);
    converter.ConvertBitmap(picture);
    const Raster page = DecodePage(path, 1);
    ASSERT_EQ(page.Height(), 2);
    EXPECT_EQ(page.Row(0)[0], 0xE0);
    EXPECT_EQ(page.Row(0)[1], 0x00);
}

TEST(Converter, SeveralPicturesBecomeSeveralPages) {
    TempDirectory dir;
    const std::string path = dir.File("pages.apf");
    const Raster first = PatternRaster(1000, 5, 1), second = PatternRaster(300, 7, 2);
    const std::vector<PictureView> pages = {first.View(), second.View()};
    CvFaxConverter converter = ConverterTo(path);
    converter.SetOptions(0);
    converter.ConvertPages(pages);
    ApfFileHeader header;
    ASSERT_EQ(ReadApfHeader(path, header), ecOK);
    EXPECT_EQ(header.pageCount, 2);
    EXPECT_EQ(DecodePage(path, 1).Height(), 5);
    EXPECT_EQ(DecodePage(path, 2).Height(), 7);
    EXPECT_TRUE(DecodePage(path, 2).Pixel(50, 0) == second.Pixel(0, 0));
}

TEST(Converter, StationIdIsPaddedWithSpacesAndKeepsItsLength) {
    struct Case {
        std::string id;
        std::string stored;
    };
    for (const Case& c :
         {Case{"+49 30 1234", "+49 30 1234"}, Case{std::string(25, 'x'), std::string(20, 'x')}}) {
        TempDirectory dir;
        const std::string path = dir.File("id.apf");
        CvFaxConverter converter = ConverterTo(path);
        converter.SetStationID(c.id);
        converter.ConvertBitmap(Raster(8, 1));
        const auto bytes = ReadBytes(path);
        EXPECT_EQ(bytes[10], c.stored.size());
        std::string field(bytes.begin() + 11, bytes.begin() + 31);
        EXPECT_EQ(field, c.stored + std::string(20 - c.stored.size(), ' '));
        ApfFileHeader header;
        ASSERT_EQ(ReadApfHeader(path, header), ecOK);
        EXPECT_NE(header.dateStamp, 0u);
    }
}

TEST(Converter, FailuresLeaveNoFile) {
    const Raster picture(64, 40);
    const std::vector<std::uint8_t> colour(64 * 3 * 40);
    struct Case {
        const char* name;
        int expected;
        std::function<void(CvFaxConverter&)> run;
    };
    const std::vector<Case> cases = {
        {"24-bit picture", ecBadArgument,
         [&](CvFaxConverter& c) {
             c.ConvertBitmap(PictureView{64, 40, 24, 64 * 3, colour.data()});
         }},
        {"empty picture", ecBadArgument, [](CvFaxConverter& c) { c.ConvertBitmap(Raster()); }},
        {"abort on first progress", ecUserAbortedConversion,
         [&](CvFaxConverter& c) {
             c.SetOnStatus([](CvFaxConverter&, bool starting, bool ending, int, int, long, long,
                              bool& abort) { abort = !starting && !ending; });
             c.ConvertBitmap(picture);
         }},
        {"quit while yielding", ecGotQuitMsg,
         [&](CvFaxConverter& c) {
             const YieldHook old = SetYieldHook([] { return true; });
             c.SetOptions(coYieldOften);
             const int code = ThrownCode([&] { c.ConvertBitmap(picture); });
             SetYieldHook(old);
             if (code != ecOK)
                 throw FaxError(code);
         }},
        {"margin as wide as the line", ecBadArgument,
         [&](CvFaxConverter& c) {
             c.SetLeftMargin(kStandardLineWidth);
             c.ConvertBitmap(picture);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        CvFaxConverter converter = ConverterTo(dir.File("out.apf"));
        EXPECT_EQ(ThrownCode([&] { c.run(converter); }), c.expected);
        EXPECT_TRUE(dir.Entries().empty());
    }
}

TEST(Converter, StatusReportsStartProgressAndEnd) {
    TempDirectory dir;
    CvFaxConverter converter = ConverterTo(dir.File("status.apf"));
    struct Report {
        int flags;
        long bytes;
        long total;
        bool operator==(const Report&) const = default;
    };
    std::vector<Report> reports;
    converter.SetOnStatus(
        [&](CvFaxConverter&, bool starting, bool ending, int, int, long bytes, long total, bool&) {
            reports.push_back({starting | ending << 1, bytes, total});
        });
    converter.ConvertBitmap(Raster(64, 3));
    ASSERT_GE(reports.size(), 5u);
    EXPECT_EQ(reports.front().flags, csStarting);
    EXPECT_EQ(reports.back(), (Report{csEnding, 3 * 8, 3 * 8}));
}

TEST(Converter, OptionsAndNames) {
    CvFaxConverter converter;
    EXPECT_EQ(converter.Options(), kDefaultConverterFlags);
    converter.SetOptions(coYieldOften);
    EXPECT_EQ(converter.Options(), coYield | coYieldOften);
    converter.SetDocumentFile("/tmp/dir.x/cover.bmp");
    EXPECT_EQ(converter.OutFileName(), "/tmp/dir.x/cover.APF");

    struct Case {
        const char* input;
        const char* output;
        const char* path;
    };
    for (const Case& c : {Case{"a/b.bmp", "", "a/b.APF"}, Case{"a.d/b", "", "a.d/b.APF"},
                          Case{"", "out", "out.APF"}, Case{"", "x.y/out", "x.y/out.APF"},
                          Case{"in.bmp", "o.apf", "o.apf"}})
        EXPECT_EQ(ApfOutputPath(c.input, c.output), c.path) << c.input << " " << c.output;
}

}  // namespace
}  // namespace corvane::faximage
