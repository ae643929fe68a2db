// End to end through the corvane-fax program: picture in, fax file, page
// picture out, and a round trip through TIFF Class F.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "converter_test_support.h"

namespace corvane::faximage {
namespace {

using testing::PatternRaster;
using testing::ReadBytes;
using testing::TempDirectory;
using testing::WriteBytes;

struct CliRun {
    int exitCode;
    std::string output;  // stdout and stderr
};

CliRun RunCli(const std::string& arguments) {
    const std::string command =
        std::string(CORVANE_BIN_DIR) + "/corvane-fax " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    CliRun run{-1, ""};
    if (!pipe)
        return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void WritePbm(const std::string& path, const Raster& raster) {
    const std::string header = "P4\n# test picture\n" + std::to_string(raster.Width()) + " " +
                               std::to_string(raster.Height()) + "\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), raster.Bytes().begin(), raster.Bytes().end());
    WriteBytes(path, bytes);
}

Raster ReadPbm(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    int width = 0, height = 0, used = 0;
    const std::string text(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 32));
    if (std::sscanf(text.c_str(), "P4 %d %d%n", &width, &height, &used) != 2)
        return Raster();
    Raster raster(width, height);
    const std::size_t start = static_cast<std::size_t>(used) + 1;
    if (bytes.size() < start + raster.Bytes().size())
        return Raster();
    for (int y = 0; y < height; ++y)
        std::copy_n(bytes.begin() + start + static_cast<std::size_t>(y) * raster.BytesPerRow(),
                    raster.BytesPerRow(), raster.Row(y).begin());
    return raster;
}

TEST(Cli, PictureToFaxToPictureKeepsEveryPixel) {
    TempDirectory dir;
    const Raster picture = PatternRaster(1000, 25);
    WritePbm(dir.File("in.pbm"), picture);

    ASSERT_EQ(RunCli("convert " + dir.File("in.pbm") + " " + dir.File("fax.apf") +
                     " --fine --margin 30 --station 'ACME 1'")
                  .exitCode,
              0);
    const CliRun info = RunCli("info " + dir.File("fax.apf"));
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("pages: 1"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("\"ACME 1\""), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("fine, counted lines"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("lines 25, width 1728"), std::string::npos) << info.output;

    const CliRun render =
        RunCli("render " + dir.File("fax.apf") + " --page 1 " + dir.File("out.pbm"));
    ASSERT_EQ(render.exitCode, 0) << render.output;
    const Raster page = ReadPbm(dir.File("out.pbm"));
    ASSERT_EQ(page.Width(), 1728);
    ASSERT_EQ(page.Height(), 25);
    // Centred by (1728 - 1000) div 16 bytes behind the 30-pixel margin.
    const int shift = 30 + (1728 - 1000) / 16 * 8;
    for (int y = 0; y < page.Height(); ++y)
        for (int x = 0; x < page.Width(); ++x)
            ASSERT_EQ(page.Pixel(x, y), picture.Pixel(x - shift, y)) << x << "," << y;

    // Through TIFF Class F and back: the same page.
    ASSERT_EQ(RunCli("export " + dir.File("fax.apf") + " " + dir.File("fax.tif")).exitCode, 0);
    const CliRun imported = RunCli("import " + dir.File("fax.tif") + " " + dir.File("back.apf"));
    ASSERT_EQ(imported.exitCode, 0) << imported.output;
    ASSERT_EQ(
        RunCli("render " + dir.File("back.apf") + " --page 1 " + dir.File("back.pbm")).exitCode, 0);
    EXPECT_EQ(ReadPbm(dir.File("back.pbm")), page);
    EXPECT_NE(RunCli("info " + dir.File("back.apf")).output.find("fine, counted lines"),
              std::string::npos);
}

// PNG out and back in, and ASCII PBM in, give the same page pixels.
TEST(Cli, PngAndAsciiPbmCarryThePixels) {
    TempDirectory dir;
    const Raster picture = PatternRaster(1728, 9);
    WritePbm(dir.File("in.pbm"), picture);
    const std::string fine = " --fine --margin 0";
    ASSERT_EQ(RunCli("convert " + dir.File("in.pbm") + " " + dir.File("a.apf") + fine).exitCode, 0);
    ASSERT_EQ(RunCli("render " + dir.File("a.apf") + " --page 1 " + dir.File("a.png")).exitCode, 0);
    ASSERT_EQ(RunCli("convert " + dir.File("a.png") + " " + dir.File("b.apf") + fine).exitCode, 0);
    ASSERT_EQ(RunCli("render " + dir.File("b.apf") + " --page 1 " + dir.File("b.pbm")).exitCode, 0);
    Raster expected(1728, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 1728; ++x) expected.SetPixel(x, y, picture.Pixel(x, y));
    EXPECT_EQ(ReadPbm(dir.File("b.pbm")), expected);

    const std::string ascii = "P1\n# comment\n5 2\n1 0 0 0 1\n01110\n";
    WriteBytes(dir.File("small.pbm"), std::vector<std::uint8_t>(ascii.begin(), ascii.end()));
    ASSERT_EQ(
        RunCli("convert " + dir.File("small.pbm") + " " + dir.File("c.apf") + " --fine --margin 10")
            .exitCode,
        0);
    ASSERT_EQ(RunCli("render " + dir.File("c.apf") + " --page 1 " + dir.File("c.pbm")).exitCode, 0);
    const Raster small = ReadPbm(dir.File("c.pbm"));
    ASSERT_EQ(small.Height(), 2);
    const int shift = 10 + (1728 - 5) / 16 * 8;  // margin, then centred
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(small.Pixel(shift + x, 0), x == 0 || x == 4) << x;
        EXPECT_EQ(small.Pixel(shift + x, 1), x >= 1 && x <= 3) << x;
    }
}

TEST(Cli, StandardPagesRenderDoubledOrHalved) {
    TempDirectory dir;
    WritePbm(dir.File("in.pbm"), PatternRaster(1600, 10));
    ASSERT_EQ(RunCli("convert " + dir.File("in.pbm") + " " + dir.File("fax.apf")).exitCode, 0);
    struct Case {
        const char* options;
        int width, height;
    };
    for (const Case& c :
         {Case{"", 1728, 20}, Case{"--auto none", 1728, 10}, Case{"--auto half-width", 864, 10},
          Case{"--auto none --scale 1/2", 864, 5}}) {
        const CliRun run = RunCli("render " + dir.File("fax.apf") + " --page 1 " +
                                  dir.File("out.pbm") + " " + c.options);
        ASSERT_EQ(run.exitCode, 0) << c.options << run.output;
        const Raster page = ReadPbm(dir.File("out.pbm"));
        EXPECT_EQ(page.Width(), c.width) << c.options;
        EXPECT_EQ(page.Height(), c.height) << c.options;
    }
}

TEST(Cli, TiffRoundTripKeepsPagesAndResolutions) {
    TempDirectory dir;
    WritePbm(dir.File("a.pbm"), PatternRaster(1728, 12, 5));
    WritePbm(dir.File("b.pbm"), PatternRaster(900, 9, 6));
    ASSERT_EQ(RunCli("convert " + dir.File("a.pbm") + " " + dir.File("a.apf")).exitCode, 0);
    ASSERT_EQ(RunCli("convert " + dir.File("b.pbm") + " " + dir.File("b.apf") + " --fine").exitCode,
              0);
    JoinApfFiles(dir.File("a.apf"), dir.File("b.apf"));
    ASSERT_EQ(RunCli("export " + dir.File("a.apf") + " " + dir.File("ab.tif")).exitCode, 0);
    // Without an extension the fax gets ".APF", also when runs are joined.
    ASSERT_EQ(RunCli("import " + dir.File("ab.tif") + " " + dir.File("back")).exitCode, 0);
    ASSERT_TRUE(std::filesystem::exists(dir.File("back.APF")));
    std::filesystem::rename(dir.File("back.APF"), dir.File("back.apf"));
    const CliRun info = RunCli("info " + dir.File("back.apf"));
    EXPECT_NE(info.output.find("pages: 2"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("flags 4 (counted lines), lines 12, width 1728"), std::string::npos)
        << info.output;
    EXPECT_NE(info.output.find("flags 5 (fine, counted lines), lines 9, width 1728"),
              std::string::npos)
        << info.output;
    for (const char* page : {"1", "2"}) {
        const std::string options = std::string(" --page ") + page + " --auto none ";
        ASSERT_EQ(RunCli("render " + dir.File("a.apf") + options + dir.File("before.pbm")).exitCode,
                  0);
        ASSERT_EQ(
            RunCli("render " + dir.File("back.apf") + options + dir.File("after.pbm")).exitCode, 0);
        EXPECT_EQ(ReadPbm(dir.File("after.pbm")), ReadPbm(dir.File("before.pbm")))
            << "page " << page;
    }
}

// What other fax software looks for in a Class F file, read back by libtiff.
TEST(Cli, ExportWritesClassFTags) {
    TempDirectory dir;
    WritePbm(dir.File("a.pbm"), PatternRaster(800, 5, 1));
    WritePbm(dir.File("b.pbm"), PatternRaster(800, 8, 2));
    ASSERT_EQ(RunCli("convert " + dir.File("a.pbm") + " " + dir.File("a.apf")).exitCode, 0);
    ASSERT_EQ(RunCli("convert " + dir.File("b.pbm") + " " + dir.File("b.apf") + " --fine --wide")
                  .exitCode,
              0);
    JoinApfFiles(dir.File("a.apf"), dir.File("b.apf"));
    ASSERT_EQ(RunCli("export " + dir.File("a.apf") + " " + dir.File("a.tif")).exitCode, 0);

    TIFF* tiff = TIFFOpen(dir.File("a.tif").c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    struct Expected {
        std::uint32_t width, length;
        float yResolution;
    };
    for (const Expected expected : {Expected{1728, 5, 98.0F}, Expected{2048, 8, 196.0F}}) {
        std::uint32_t width = 0, length = 0, group3 = 0;
        std::uint16_t compression = 0, fillOrder = 0, photometric = 0, unit = 0, bits = 0;
        float xResolution = 0, yResolution = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &length);
        TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(tiff, TIFFTAG_GROUP3OPTIONS, &group3);
        TIFFGetField(tiff, TIFFTAG_FILLORDER, &fillOrder);
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
        TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &xResolution);
        TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &yResolution);
        EXPECT_EQ(width, expected.width);
        EXPECT_EQ(length, expected.length);
        EXPECT_EQ(bits, 1);
        EXPECT_EQ(compression, COMPRESSION_CCITTFAX3);
        EXPECT_EQ(group3 & GROUP3OPT_2DENCODING, 0u);  // one-dimensional
        EXPECT_NE(group3 & GROUP3OPT_FILLBITS, 0u);    // byte-aligned EOLs
        EXPECT_EQ(fillOrder, FILLORDER_LSB2MSB);
        EXPECT_EQ(photometric, PHOTOMETRIC_MINISWHITE);
        EXPECT_EQ(unit, RESUNIT_INCH);
        EXPECT_FLOAT_EQ(xResolution, 204.0F);
        EXPECT_FLOAT_EQ(yResolution, expected.yResolution);
        TIFFReadDirectory(tiff);
    }
    EXPECT_EQ(TIFFNumberOfDirectories(tiff), 2);
    TIFFClose(tiff);
}

// A minimal uncompressed bilevel TIFF (1 = black), 196 dpi down.
void WriteTiff(const std::string& path, const Raster& raster) {
    std::vector<std::uint8_t> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t value;
    };
    const std::uint32_t entryCount = 9, dataStart = 8 + 2 + entryCount * 12 + 4;
    const std::uint32_t resolution = dataStart, pixels = dataStart + 8;
    const Entry entries[] = {{256, 4, static_cast<std::uint32_t>(raster.Width())},
                             {257, 4, static_cast<std::uint32_t>(raster.Height())},
                             {258, 3, 1},
                             {259, 3, 1},
                             {262, 3, 0},
                             {273, 4, pixels},
                             {278, 4, static_cast<std::uint32_t>(raster.Height())},
                             {279, 4, static_cast<std::uint32_t>(raster.Bytes().size())},
                             {283, 5, resolution}};
    put(entryCount, 2);
    for (const Entry& entry : entries) {
        put(entry.tag, 2);
        put(entry.type, 2);
        put(1, 4);
        put(entry.value, 4);
    }
    put(0, 4);
    put(196, 4);
    put(1, 4);
    bytes.insert(bytes.end(), raster.Bytes().begin(), raster.Bytes().end());
    WriteBytes(path, bytes);
}

TEST(Cli, ImportOfOtherWidthsGoesThroughTheConverter) {
    TempDirectory dir;
    const Raster picture = PatternRaster(1000, 7);
    WriteTiff(dir.File("odd.tif"), picture);
    const CliRun imported = RunCli("import " + dir.File("odd.tif") + " " + dir.File("odd.apf"));
    ASSERT_EQ(imported.exitCode, 0) << imported.output;
    EXPECT_NE(RunCli("info " + dir.File("odd.apf"))
                  .output.find("(fine, counted lines), lines 7, width 1728"),
              std::string::npos);
    ASSERT_EQ(RunCli("render " + dir.File("odd.apf") + " --page 1 " + dir.File("odd.pbm")).exitCode,
              0);
    const Raster page = ReadPbm(dir.File("odd.pbm"));
    ASSERT_EQ(page.Height(), 7);
    const int shift = 50 + (1728 - 1000) / 16 * 8;  // margin, then centred
    for (int y = 0; y < page.Height(); ++y)
        for (int x = 0; x < page.Width(); ++x)
            ASSERT_EQ(page.Pixel(x, y), picture.Pixel(x - shift, y)) << x << "," << y;
}

TEST(Cli, ErrorsAndUsage) {
    TempDirectory dir;
    WriteBytes(dir.File("bad.apf"), std::vector<std::uint8_t>(100, 'z'));
    WriteBytes(dir.File("bad.pbm"), {'P', '4', '\n', '9', '9', '9', '9', '9', '9', ' ', '2', '\n'});
    struct Case {
        std::string arguments;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {"info " + dir.File("bad.apf"), 1, "File is not an APF file"},
        {"info " + dir.File("none.apf"), 1, "File not found"},
        {"render " + dir.File("bad.apf") + " --page 1 " + dir.File("x.pbm"), 1,
         "File is not an APF file"},
        {"convert " + dir.File("bad.pbm") + " " + dir.File("x.apf"), 1, "picture size"},
        {"export " + dir.File("bad.apf") + " " + dir.File("x.tif"), 1, "File is not an APF file"},
        {"info", 2, "usage"},
        {"convert a", 2, "usage"},
        {"convert a b --margin x", 2, "usage"},
        {"render f.apf out.pbm", 2, "usage"},
        {"render f.apf --page 1 out.pbm --auto sideways", 2, "usage"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(run.output.find(c.message), std::string::npos)
            << c.arguments << ": " << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.apf")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.tif")));
}

}  // namespace
}  // namespace corvane::faximage
