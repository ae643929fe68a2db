#include "app/prepare_document.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "../support/fax_pages.h"
#include "app/program_directory.h"
#include "temp_dir.h"

namespace corvane::app {
namespace {

namespace fs = std::filesystem;
using corvane::testing::BarPage;
using corvane::testing::FaxFormat;
using corvane::testing::PageCountOf;
using corvane::testing::PageFlagsOf;
using corvane::testing::ReadPage;
using corvane::testing::TempDir;
using corvane::testing::WriteFax;
using faximage::Raster;

class PrepareDocumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetProgramDirectory(dir.path());
        EnsureWorkDirectories();
    }
    // Files of the program directory whose names start with prefix.
    std::vector<std::string> WorkFiles(const std::string& prefix) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (entry.path().filename().string().starts_with(prefix))
                names.push_back(entry.path().filename());
        return names;
    }
    TempDir dir;
};

TEST_F(PrepareDocumentTest, CoverAndThreePageBodyGiveFourPagesCoverFirst) {
    WriteFax(SendDirectory() + "BODY.APF",
             {BarPage(1728, 1100, 100), BarPage(1728, 1100, 200), BarPage(1728, 1100, 300)});
    WriteFax(SendDirectory() + "COVER.APF", {BarPage(1728, 2000, 50, 4, 0, 1000)});

    std::string work;
    ASSERT_EQ(PrepareOutgoingFax("body.apf", "COVER.APF", work), PrepareResult::Prepared);
    ASSERT_EQ(PageCountOf(work), 4);
    const Raster cover = ReadPage(work, 1);
    EXPECT_TRUE(cover.Pixel(999, 50));
    EXPECT_EQ(cover.Height(), 2000);
    for (int page = 2; page <= 4; ++page) {
        const Raster body = ReadPage(work, page);
        const int bar = 100 * (page - 1);
        EXPECT_TRUE(body.Pixel(0, bar) && body.Pixel(399, bar + 3)) << "page " << page;
        EXPECT_FALSE(body.Pixel(0, bar - 1) || body.Pixel(400, bar)) << "page " << page;
        // Every body page becomes a full fine page of the rendering size.
        EXPECT_EQ(body.Width(), 1664) << "page " << page;
        EXPECT_EQ(body.Height(), 2156) << "page " << page;
        EXPECT_TRUE(PageFlagsOf(work, page) & faximage::pfFine) << "page " << page;
    }
    // Only the joined work file is left; the row's own files are untouched.
    EXPECT_EQ(WorkFiles("FAX"), std::vector<std::string>{fs::path(work).filename()});
    EXPECT_TRUE(WorkFiles("TEMP").empty());
    EXPECT_EQ(PageCountOf(SendDirectory() + "BODY.APF"), 3);
    EXPECT_EQ(PageCountOf(SendDirectory() + "COVER.APF"), 1);
}

TEST_F(PrepareDocumentTest, PagesAreRenderedByTheirShape) {
    struct Case {
        const char* what;
        FaxFormat format;
        Raster page;
        int height;          // of the prepared page
        int blackX, blackY;  // a pixel of the page that must stay black
        int whiteX, whiteY;  // one that must be white
    };
    const Case cases[] = {
        {"a page of 2300 lines keeps every line",
         {},
         BarPage(1728, 2300, 2290, 4),
         2300,
         0,
         2293,
         0,
         2294},
        {"a wide page is cut to its left 1664 pixels",
         {.fine = true, .wide = true},
         BarPage(2048, 100, 10, 4, 1600, 2048),
         2156,
         1663,
         10,
         1662,
         14},
        {"a standard page is drawn at fine height",
         {.fine = false},
         BarPage(1728, 1000, 10, 1),
         2156,
         0,
         21,
         0,
         22},
    };
    for (const Case& c : cases) {
        const std::string source = dir.path() + "source.apf";
        const std::string target = dir.path() + "target.apf";
        WriteFax(source, {c.page}, c.format);
        ASSERT_TRUE(PrepareDocument(source, target)) << c.what;
        const Raster page = ReadPage(target, 1);
        EXPECT_EQ(page.Width(), 1664) << c.what;
        EXPECT_EQ(page.Height(), c.height) << c.what;
        EXPECT_TRUE(page.Pixel(c.blackX, c.blackY)) << c.what;
        EXPECT_FALSE(page.Pixel(c.whiteX, c.whiteY)) << c.what;
        // The right-edge marks that keep the page whole.
        EXPECT_TRUE(page.Pixel(1663, 0) && page.Pixel(1663, c.height - 1)) << c.what;
        fs::remove(target);
    }
}

TEST_F(PrepareDocumentTest, BadSourcesFailWithoutLeavingFiles) {
    const std::string target = dir.path() + "target.apf";
    EXPECT_TRUE(PrepareDocument(dir.path() + "missing.apf", target));
    EXPECT_FALSE(fs::exists(target));

    const std::string notFax = dir.Write("letter.apf", "Dear reader, this is no fax file at all.");
    const auto emptyHeader = faximage::EncodeFileHeader(faximage::NewFileHeader());
    const std::string noPages =
        dir.Write("empty.apf", std::string(emptyHeader.begin(), emptyHeader.end()));
    const std::string shortFile = dir.path() + "short.apf";
    WriteFax(shortFile, {BarPage(1728, 100, 10), BarPage(1728, 100, 20)});
    corvane::testing::ClaimPages(shortFile, 3);
    for (const std::string& source : {notFax, noPages, shortFile}) {
        EXPECT_FALSE(PrepareDocument(source, target)) << source;
        EXPECT_FALSE(fs::exists(target)) << source;
    }
    EXPECT_TRUE(WorkFiles("TEMP").empty());
}

TEST_F(PrepareDocumentTest, OutgoingRowsWithMissingOrBadFiles) {
    WriteFax(SendDirectory() + "COVER.APF", {BarPage(1728, 500, 50)});
    std::string work;
    // A body that has gone is no error: the cover is used alone.
    ASSERT_EQ(PrepareOutgoingFax("GONE.APF", "COVER.APF", work), PrepareResult::Prepared);
    EXPECT_EQ(PageCountOf(work), 1);
    fs::remove(work);

    EXPECT_EQ(PrepareOutgoingFax("GONE.APF", "", work), PrepareResult::NoFile);
    EXPECT_EQ(PrepareOutgoingFax("", "", work), PrepareResult::NoFile);
    EXPECT_TRUE(work.empty());

    dir.Write("SEND/BAD.APF", "not a fax");
    EXPECT_EQ(PrepareOutgoingFax("BAD.APF", "COVER.APF", work), PrepareResult::OpenError);
    EXPECT_TRUE(WorkFiles("FAX").empty());
}

TEST_F(PrepareDocumentTest, IncomingFaxIsPreparedFromTheReceiveDirectory) {
    WriteFax(ReceiveDirectory() + "REC00001.APF", {BarPage(1728, 300, 10), BarPage(1728, 300, 20)});
    std::string work;
    ASSERT_EQ(PrepareIncomingFax("rec00001.apf", work), PrepareResult::Prepared);
    EXPECT_EQ(PageCountOf(work), 2);
    EXPECT_EQ(PrepareIncomingFax("REC00002.APF", work), PrepareResult::NoFile);
    dir.Write("Receive/REC00003.APF", "garbage");
    EXPECT_EQ(PrepareIncomingFax("REC00003.APF", work), PrepareResult::OpenError);
}

TEST(FaxTitles, FollowTheRowsFields) {
    EXPECT_EQ(OutgoingTitle("", ""), "");
    EXPECT_EQ(OutgoingTitle("Ann Lee", ""), "To: Ann Lee ");
    EXPECT_EQ(OutgoingTitle("", "Invoice"), "Subject: Invoice");
    EXPECT_EQ(OutgoingTitle("Ann Lee", "Invoice"), "To: Ann Lee ,   Subject: Invoice");
    EXPECT_EQ(IncomingTitle("12345", "urgent"), "12345 - urgent");
    EXPECT_EQ(IncomingTitle("12345", ""), "12345");
}

}  // namespace
}  // namespace corvane::app
