// Whole sends over the simulated modems: what the remote decoded equals
// what was sent, below a header line that reads as expanded.
#include <gtest/gtest.h>

#include <fstream>

#include "send_rig.h"

namespace corvane::integration {
namespace {

constexpr int kBodyLines = 120;

enum class Cover { None, Apf, Text };

struct PagesCase {
    FaxClass faxClass;
    Cover cover;
};

std::string Name(const ::testing::TestParamInfo<PagesCase>& info) {
    const char* cls = info.param.faxClass == FaxClass::fcClass1   ? "Class1"
                      : info.param.faxClass == FaxClass::fcClass2 ? "Class2"
                                                                  : "Class20";
    const char* cover = info.param.cover == Cover::None  ? "NoCover"
                        : info.param.cover == Cover::Apf ? "ApfCover"
                                                         : "TextCover";
    return std::string(cls) + cover;
}

class SendPages : public ::testing::TestWithParam<PagesCase> {};

TEST_P(SendPages, RemoteDecodesEveryPageBelowTheExpandedHeader) {
    const PagesCase c = GetParam();
    const std::string base = TempPath(Name({c, 0}));
    std::vector<Lines> body;
    for (int p = 1; p <= 3; ++p) body.push_back(PageRaster(p, kBodyLines));
    WriteFax(base + ".apf", body, true);
    const Lines coverRaster = PageRaster(9, 60);
    const std::vector<std::string> coverText = {"To: $R", "", "Cover page $P of $N"};

    SendRig rig(c.faxClass);
    rig.fax.faxFile = base + ".apf";
    rig.fax.headerLine = "From $F Page $P of $N";
    rig.fax.headerSender = "Corvane";
    rig.fax.headerRecipient = "Someone";
    if (c.cover == Cover::Apf) {
        WriteFax(base + "_cover.apf", {coverRaster}, true);
        rig.fax.coverFile = base + "_cover.apf";
    } else if (c.cover == Cover::Text) {
        std::ofstream(base + "_cover.txt") << coverText[0] << "\n"
                                           << coverText[1] << "\r\n"
                                           << coverText[2] << "\n";
        rig.fax.coverFile = base + "_cover.txt";
    }

    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.errors, std::vector<int>{});
    EXPECT_TRUE(rig.remote->Succeeded()) << rig.remote->FailureReason();
    EXPECT_EQ(rig.remote->Violations(), std::vector<std::string>{});
    EXPECT_EQ(rig.fax.FaxProgress(), kProgressFinished);
    EXPECT_EQ(rig.lastSeen, 1);

    const bool withCover = c.cover != Cover::None;
    const int total = 3 + (withCover ? 1 : 0);
    ASSERT_EQ(rig.remote->Pages().size(), static_cast<std::size_t>(total));
    const std::size_t headerRows = TextRows("x", faximage::kSmallFontBytesPerGlyph, true).size();
    for (int p = 1; p <= total; ++p) {
        SCOPED_TRACE("page " + std::to_string(p));
        const ReceivedPage& got = rig.remote->Pages()[static_cast<std::size_t>(p - 1)];
        EXPECT_TRUE(got.accepted);
        EXPECT_TRUE(got.page.fine);
        EXPECT_EQ(got.scan.BadLines(), 0);
        const Lines lines = Decode(got.page.data);
        EXPECT_TRUE(Slice(lines, 0, 8) == Lines(8, Line(216, 0))) << "blank lines differ";
        const std::string header =
            "From Corvane Page " + std::to_string(p) + " of " + std::to_string(total);
        EXPECT_TRUE(Slice(lines, 8, headerRows) ==
                    TextRows(header, faximage::kSmallFontBytesPerGlyph, true))
            << "header differs from " << header;
        const Lines below = Slice(lines, 8 + headerRows, lines.size());
        if (withCover && p == 1) {
            if (c.cover == Cover::Apf) {
                EXPECT_TRUE(below == AsReceived(coverRaster)) << "cover differs";
            } else {
                Lines expected;
                for (const std::string& text : {std::string("To: Someone"), std::string(""),
                                                std::string("Cover page 1 of 4")}) {
                    const Lines rows = TextRows(text, faximage::kStandardFontBytesPerGlyph, true);
                    expected.insert(expected.end(), rows.begin(), rows.end());
                }
                EXPECT_TRUE(below == expected) << "text cover differs";
            }
        } else {
            EXPECT_TRUE(below ==
                        AsReceived(body[static_cast<std::size_t>(p - (withCover ? 2 : 1))]))
                << "body differs";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllClasses, SendPages,
                         ::testing::Values(PagesCase{FaxClass::fcClass1, Cover::None},
                                           PagesCase{FaxClass::fcClass1, Cover::Apf},
                                           PagesCase{FaxClass::fcClass1, Cover::Text},
                                           PagesCase{FaxClass::fcClass2, Cover::None},
                                           PagesCase{FaxClass::fcClass2, Cover::Apf},
                                           PagesCase{FaxClass::fcClass2, Cover::Text},
                                           PagesCase{FaxClass::fcClass2_0, Cover::None},
                                           PagesCase{FaxClass::fcClass2_0, Cover::Apf},
                                           PagesCase{FaxClass::fcClass2_0, Cover::Text}),
                         Name);

}  // namespace
}  // namespace corvane::integration

namespace corvane::integration {
namespace {

// Header and cover lines as long and dense as the font allows still reach
// the remote whole: no byte is lost at a full output buffer.
TEST(SendPagesDense, FullWidthHeaderAndCoverLinesArriveWhole) {
    const std::string base = TempPath("dense");
    WriteFax(base + ".apf", {PageRaster(1, 40)}, true);
    const std::string dense(255, 'W');  // the glyph with the most runs per row
    {
        std::ofstream cover(base + "_cover.txt");
        for (int i = 0; i < 6; ++i) cover << dense << "\n";
    }
    RemoteFaxConfig slowPrinter;
    slowPrinter.capabilities.scanFineMs = 20;
    for (const FaxClass c : {FaxClass::fcClass1, FaxClass::fcClass2_0}) {
        SendRig rig(c, slowPrinter);
        rig.fax.desiredBPS = 14400;
        rig.fax.faxFile = base + ".apf";
        rig.fax.coverFile = base + "_cover.txt";
        rig.fax.headerLine = dense;
        ASSERT_EQ(rig.Run(), 0);
        ASSERT_EQ(rig.remote->Pages().size(), 2u);
        const Lines header = TextRows(dense, faximage::kSmallFontBytesPerGlyph, true);
        Lines cover;
        for (int i = 0; i < 6; ++i) {
            const Lines rows = TextRows(dense, faximage::kStandardFontBytesPerGlyph, true);
            cover.insert(cover.end(), rows.begin(), rows.end());
        }
        const Lines first = Decode(rig.remote->Pages()[0].page.data);
        EXPECT_EQ(rig.remote->Pages()[0].scan.BadLines(), 0);
        EXPECT_TRUE(Slice(first, 8, header.size()) == header);
        EXPECT_TRUE(Slice(first, 8 + header.size(), first.size()) == cover);
        const Lines second = Decode(rig.remote->Pages()[1].page.data);
        EXPECT_TRUE(Slice(second, 8, header.size()) == header);
    }
}

}  // namespace
}  // namespace corvane::integration

namespace corvane::integration {
namespace {

TEST(SendPagesCoverOnly, OnePageCountedAsOneOfOne) {
    const std::string base = TempPath("cover_only");
    WriteFax(base + ".apf", {PageRaster(4, 30)}, false);
    std::ofstream(base + ".txt") << "Only a cover\n";
    const Lines header = TextRows("Page 1 of 1", faximage::kSmallFontBytesPerGlyph, false);
    for (const auto& [faxClass, cover] : {std::pair{FaxClass::fcClass1, base + ".txt"},
                                          std::pair{FaxClass::fcClass2, base + ".apf"}}) {
        SCOPED_TRACE(cover);
        SendRig rig(faxClass);
        rig.fax.faxFile.clear();
        rig.fax.coverFile = cover;
        rig.fax.headerLine = "Page $P of $N";
        ASSERT_EQ(rig.Run(), 0);
        ASSERT_EQ(rig.remote->Pages().size(), 1u);
        const ReceivedPage& page = rig.remote->Pages()[0];
        EXPECT_FALSE(page.page.fine);
        EXPECT_TRUE(Slice(Decode(page.page.data), 8, header.size()) == header);
    }
}

}  // namespace
}  // namespace corvane::integration
