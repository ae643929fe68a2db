// Pages reach every fax machine: a far end that takes only standard
// resolution gets fine pages with each pair of lines merged, one that takes
// only 1728 pixels gets wide pages scaled, and a document mixing standard
// and fine pages arrives with every page at its true aspect. In each class:
// class 1 through our own DCS, class 2 and 2.0 through the modem's session.
#include <gtest/gtest.h>

#include "send_rig.h"

namespace corvane::integration {
namespace {

constexpr int kLines = 41;  // odd: the last fine line has no pair

// Vertical strokes one pixel wide at known places of a 2048-pixel page.
Lines Strokes(int lines) {
    Lines raster;
    for (int y = 0; y < lines; ++y) {
        Line line(256, 0);
        for (const int x : {100, 1000, 1900})
            line[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
        raster.push_back(line);
    }
    return raster;
}

const char* ClassName(FaxClass c) {
    return c == FaxClass::fcClass1 ? "Class1" : c == FaxClass::fcClass2 ? "Class2" : "Class20";
}

class SendForms : public ::testing::TestWithParam<FaxClass> {
  protected:
    // The body of each page the remote received, below the header.
    static std::vector<Lines> Bodies(const SendRig& rig, bool fine) {
        const std::size_t top = 8 + TextRows("x", faximage::kSmallFontBytesPerGlyph, fine).size();
        std::vector<Lines> bodies;
        for (const ReceivedPage& page : rig.remote->Pages()) {
            const Lines lines = Decode(page.page.data);
            bodies.push_back(Slice(lines, top, lines.size()));
        }
        return bodies;
    }
};

TEST_P(SendForms, FinePagesReachAStandardOnlyFarEndMerged) {
    const std::string path = TempPath(std::string("fine_to_std_") + ClassName(GetParam()) + ".apf");
    const Lines page = PageRaster(1, kLines);
    WriteFax(path, {page, PageRaster(2, kLines)}, true);
    RemoteFaxConfig remote;
    remote.capabilities.fine = false;
    SendRig rig(GetParam(), remote);
    rig.fax.faxFile = path;
    rig.fax.headerLine = "Page $P of $N";
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.errors, std::vector<int>{});
    EXPECT_EQ(rig.remote->Violations(), std::vector<std::string>{});
    ASSERT_EQ(rig.remote->Pages().size(), 2u);
    for (const ReceivedPage& got : rig.remote->Pages()) {
        EXPECT_FALSE(got.page.fine);
        EXPECT_EQ(got.scan.BadLines(), 0);
    }
    const std::vector<Lines> bodies = Bodies(rig, false);
    EXPECT_EQ(bodies[0].size(), (kLines + 1) / 2u);
    EXPECT_TRUE(bodies[0] == MergedPairs(AsReceived(page))) << "pixels differ";
    // The header is stamped at the resolution the page went out in.
    const Lines lines = Decode(rig.remote->Pages()[0].page.data);
    EXPECT_TRUE(Slice(lines, 8, TextRows("x", faximage::kSmallFontBytesPerGlyph, false).size()) ==
                TextRows("Page 1 of 2", faximage::kSmallFontBytesPerGlyph, false));
}

TEST_P(SendForms, WidePagesReachANarrowFarEndScaled) {
    const std::string path =
        TempPath(std::string("wide_to_narrow_") + ClassName(GetParam()) + ".apf");
    WriteFax(path, {Strokes(kLines)}, true);
    RemoteFaxConfig remote;
    remote.capabilities.wide = false;
    SendRig rig(GetParam(), remote);
    rig.fax.faxFile = path;
    rig.fax.headerLine = "Page $P of $N";
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.remote->Violations(), std::vector<std::string>{});
    ASSERT_EQ(rig.remote->Pages().size(), 1u);
    const ReceivedPage& got = rig.remote->Pages()[0];
    EXPECT_FALSE(got.page.wide);
    EXPECT_EQ(got.scan.width, faximage::kStandardLineWidth);
    EXPECT_FALSE(got.scan.mixedWidths);
    const Lines body = Bodies(rig, true)[0];
    ASSERT_EQ(body.size(), static_cast<std::size_t>(kLines));
    // The encoder's left margin moved each stroke right by 50 before scaling.
    for (const Line& line : body) {
        std::vector<int> black;
        for (int x = 0; x < faximage::kStandardLineWidth; ++x)
            if ((line[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1)
                black.push_back(x);
        EXPECT_EQ(black,
                  (std::vector<int>{150 * 1728 / 2048, 1050 * 1728 / 2048, 1950 * 1728 / 2048}));
    }
}

TEST_P(SendForms, MixedResolutionsArriveAtTheirTrueAspect) {
    const std::string path = TempPath(std::string("mixed_") + ClassName(GetParam()) + ".apf");
    const Lines fine1 = PageRaster(1, kLines), standard = PageRaster(2, 20),
                fine3 = PageRaster(3, kLines);
    WriteFax(path, {fine1, standard, fine3}, true, true, {true, false, true});
    SendRig rig(GetParam());
    rig.fax.faxFile = path;
    rig.fax.headerLine = "Page $P of $N";
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.errors, std::vector<int>{}) << "nothing is wrong with a mixed document";
    EXPECT_EQ(rig.remote->Violations(), std::vector<std::string>{});
    ASSERT_EQ(rig.remote->Pages().size(), 3u);
    for (const ReceivedPage& got : rig.remote->Pages()) EXPECT_TRUE(got.page.fine);
    const std::vector<Lines> bodies = Bodies(rig, true);
    EXPECT_TRUE(bodies[0] == AsReceived(fine1));
    EXPECT_TRUE(bodies[1] == EachTwice(AsReceived(standard)))
        << "the standard page keeps its height";
    EXPECT_TRUE(bodies[2] == AsReceived(fine3));
}

INSTANTIATE_TEST_SUITE_P(AllClasses, SendForms,
                         ::testing::Values(FaxClass::fcClass1, FaxClass::fcClass2,
                                           FaxClass::fcClass2_0),
                         [](const ::testing::TestParamInfo<FaxClass>& info) {
                             return ClassName(info.param);
                         });

}  // namespace
}  // namespace corvane::integration
