// Page placement, text layout and jobs left in a send directory.
#include <gtest/gtest.h>

#include <filesystem>

#include "intake/fax_job.h"
#include "intake/job_options.h"
#include "intake/page_placement.h"
#include "intake/text_pages.h"
#include "intake_support.h"

namespace corvane::intake {
namespace {

using testing::Names;
using testing::TempDir;

TEST(PagePlacement, TrueSizeFittedToTheFaxLine) {
    struct Case {
        const char* paper;
        double width, height;
        bool turnLandscape;
        bool turned;
        int pixels, rows;
    };
    const Case cases[] = {
        {"A4", 8.2677, 11.6929, true, false, 1687, 2292},
        {"Letter fills the line", 8.5, 11, true, false, 1728, 2149},
        {"A4 landscape", 11.6929, 8.2677, true, true, 1687, 2292},
        {"landscape left as it is", 11.6929, 8.2677, false, false, 1728, 1174},
        {"A3 scaled to the line", 11.6929, 16.5354, true, false, 1728, 2348},
        {"long strip scaled to 14 inches", 2, 28, true, false, 204, 2744},
        {"small label", 2, 1, false, false, 408, 196},
        {"no size", 0, 11, true, false, 0, 0},
    };
    for (const Case& c : cases) {
        const Placement placement = PlacePage(c.width, c.height, c.turnLandscape);
        EXPECT_EQ(placement.turned, c.turned) << c.paper;
        EXPECT_NEAR(placement.width, c.pixels, 1) << c.paper;
        EXPECT_NEAR(placement.height, c.rows, 1) << c.paper;
        EXPECT_LE(placement.width, kFaxPageWidth) << c.paper;
    }
}

TEST(TextLayout, WrapsBreaksAndPages) {
    struct Case {
        const char* what;
        QString text;
        int columns, lines;
        std::vector<QStringList> pages;
    };
    const Case cases[] = {
        {"wrap at the last space",
         QStringLiteral("one two three four"),
         9,
         10,
         {{QStringLiteral("one two"), QStringLiteral("three"), QStringLiteral("four")}}},
        {"a word longer than the line is cut",
         QStringLiteral("abcdefghij"),
         4,
         10,
         {{QStringLiteral("abcd"), QStringLiteral("efgh"), QStringLiteral("ij")}}},
        {"tabs to every eighth column",
         QStringLiteral("a\tb\n\tc"),
         80,
         10,
         {{QStringLiteral("a       b"), QStringLiteral("        c")}}},
        {"CR LF and CR end lines; the last break starts no line",
         QStringLiteral("a\r\nb\rc\n"),
         80,
         10,
         {{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}}},
        {"full pages flow on",
         QStringLiteral("1\n2\n3\n4\n5"),
         80,
         2,
         {{QStringLiteral("1"), QStringLiteral("2")},
          {QStringLiteral("3"), QStringLiteral("4")},
          {QStringLiteral("5")}}},
        {"form feed starts a page; one at the end adds none",
         QStringLiteral("a\fb\f"),
         80,
         10,
         {{QStringLiteral("a")}, {QStringLiteral("b")}}},
        {"control characters dropped",
         QStringLiteral("a\x01\x1b"
                        "b"),
         80,
         10,
         {{QStringLiteral("ab")}}},
        {"nothing visible", QStringLiteral(" \n\t\n"), 80, 10, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayOutText(c.text, c.columns, c.lines), c.pages) << c.what;
}

TEST(JobOptions, ReadAsThePrintSystemWritesThem) {
    using Options = std::map<std::string, std::string>;
    const std::pair<const char*, Options> cases[] = {
        {"phone=555\\ 0100 name='Jo Smith' subject=\"Q3 \\\"final\\\"\"",
         {{"phone", "555 0100"}, {"name", "Jo Smith"}, {"subject", "Q3 \"final\""}}},
        {"  Duplex PHONE=1  phone=2\t", {{"duplex", "true"}, {"phone", "2"}}},
        {"name='never closed", {{"name", "never closed"}}},
        {"subject= empty=", {{"subject", ""}, {"empty", ""}}},
        {"=orphan trailing\\", {{"trailing\\", "true"}}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ParseJobOptions(text), expected) << text;

    const JobDetails titled = JobDetailsFromOptions("phone=1 name=Al", "Report");
    EXPECT_EQ(titled.subject, "Report");
    EXPECT_EQ(JobDetailsFromOptions("subject=Own", "Report").subject, "Own");
}

TEST(FaxJob, LeavesAFaxFileAndItsJobFileUnderFreeNames) {
    TempDir dir;
    dir.Write("note.txt", "Please call back.\n");
    // Number 0 is taken by a job file of another spelling, 1 by a fax file.
    std::filesystem::create_directory(dir.path() + "SEND");
    dir.Write("SEND/doc00000.pxd", "");
    dir.Write("SEND/DOC00001.APF", "");
    const JobResult job =
        SubmitDocument(QString::fromStdString(dir.path() + "note.txt"), dir.path() + "SEND/",
                       {"555 0100", "Ann\nOnymous", "Call back\r\nnow"});
    ASSERT_EQ(job.conversion.status, ConversionResult::Done)
        << job.conversion.message.toStdString();
    EXPECT_EQ(job.faxFile, dir.path() + "SEND/DOC00002.APF");
    EXPECT_EQ(
        Names(dir.path() + "SEND"),
        (std::vector<std::string>{"DOC00001.APF", "DOC00002.APF", "DOC00002.PXD", "doc00000.pxd"}));
    EXPECT_TRUE(faximage::IsApfFile(job.faxFile));
    EXPECT_EQ(dir.Read("SEND/DOC00002.PXD"), "555 0100\r\nAnn Onymous\r\nCall back  now\r\n");
}

TEST(FaxJob, FailedConversionLeavesTheSendDirectoryAsItWas) {
    TempDir dir;
    dir.Write("empty.txt", "");
    std::filesystem::create_directory(dir.path() + "SEND");
    const JobResult job = SubmitDocument(QString::fromStdString(dir.path() + "empty.txt"),
                                         dir.path() + "SEND/", {"1", "", ""});
    EXPECT_EQ(job.conversion.status, ConversionResult::Failed);
    EXPECT_TRUE(job.faxFile.empty());
    EXPECT_TRUE(Names(dir.path() + "SEND").empty());
}

}  // namespace
}  // namespace corvane::intake
