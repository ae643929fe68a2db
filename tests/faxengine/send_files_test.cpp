#include "faxengine/send_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "faximage/apf_writer.h"
#include "faximage/fax_errors.h"

namespace corvane::engine {
namespace {

TEST(ExpandHeader, ReplacesEachTokenUpToTheNextBlank) {
    HeaderValues v;
    v.date = "12/11/26";
    v.time = "13:05:00";
    v.sender = "Ann";
    v.recipient = "Bob";
    v.title = "Offer";
    v.stationID = "555 0100";
    v.pages = 5;
    v.page = 2;
    const struct {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"Page $P of $N", "Page 2 of 5"},
        {"$d $t", "12/11/26 13:05:00"},
        {"From $F to $r: $S", "From Ann to Bob Offer"},  // "$r:" is one token
        {"$Ixyz!", "555 0100"},                          // the rest of the token goes too
        {"$X unknown", " unknown"},
        {"cost $", "cost "},
        {"$$P", ""},
        {"$F$P", "Ann"},
        {"no tokens", "no tokens"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandHeader(c.text, v), c.expanded) << c.text;
    }
}

TEST(ExpandHeader, InsertedTextIsNotScannedAgain) {
    HeaderValues v;
    v.sender = "$N";
    v.pages = 3;
    EXPECT_EQ(ExpandHeader("$F $N", v), "$N 3");
}

TEST(ApfFileName, AddsTheExtensionOnlyWhenTheNameHasNone) {
    EXPECT_EQ(ApfFileName("/tmp/fax", "APF"), "/tmp/fax.APF");
    EXPECT_EQ(ApfFileName("/tmp/fax.apf", "APF"), "/tmp/fax.apf");
    EXPECT_EQ(ApfFileName("/tmp/a.b/fax", "APF"), "/tmp/a.b/fax.APF");
}

class ApfPageReaderTest : public ::testing::Test {
  protected:
    // One file per test: ctest runs the tests of this fixture side by side.
    std::string path = ::testing::TempDir() + "send_reader_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".apf";

    void WriteTwoPages() {
        faximage::ApfWriter writer;
        ASSERT_EQ(writer.Create(path, faximage::ApfWriter::Mode::Atomic), 0);
        for (std::uint16_t flags : {std::uint16_t{faximage::pfFine}, std::uint16_t{0}}) {
            ASSERT_EQ(writer.BeginPage(flags), 0);
            const std::vector<std::uint8_t> data(100 + flags, 0x55);
            ASSERT_EQ(writer.Append(data.data(), data.size()), 0);
            ASSERT_EQ(writer.EndPage(), 0);
        }
        ASSERT_EQ(writer.Finish(faximage::NewFileHeader()), 0);
    }
    void Truncate(std::size_t size) {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        bytes.resize(std::min(size, bytes.size()));
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
};

TEST_F(ApfPageReaderTest, WalksThePageChain) {
    WriteTwoPages();
    ApfPageReader reader;
    ASSERT_EQ(reader.Open(path), 0);
    EXPECT_EQ(reader.Header().pageCount, 2);
    faximage::ApfPageHeader page;
    ASSERT_EQ(reader.SeekPage(2), 0);
    ASSERT_EQ(reader.ReadPageHeader(page), 0);
    EXPECT_EQ(page.dataLength, 100u);
    EXPECT_EQ(page.pageFlags, 0);
    ASSERT_EQ(reader.SeekPage(1), 0);
    ASSERT_EQ(reader.ReadPageHeader(page), 0);
    EXPECT_EQ(page.dataLength, 101u);
    std::vector<std::uint8_t> data(101);
    EXPECT_EQ(reader.Read(data), 0);
    EXPECT_EQ(data.back(), 0x55);
    EXPECT_EQ(reader.SeekPage(0), -100);
    EXPECT_EQ(reader.SeekPage(3), -100);
}

TEST_F(ApfPageReaderTest, DamagedFilesGiveCodesNotReads) {
    ApfPageReader reader;
    EXPECT_EQ(reader.Open(path + ".missing"), ecFileNotFound);
    std::ofstream(path, std::ios::binary) << "not a fax file at all";
    EXPECT_EQ(reader.Open(path), ecFaxBadFormat);
    EXPECT_FALSE(reader.IsOpen());

    WriteTwoPages();
    Truncate(64 + 16 + 50);  // page 1 cut short, page 2 gone
    ASSERT_EQ(reader.Open(path), 0);
    EXPECT_EQ(reader.SeekPage(2), -100);
    ASSERT_EQ(reader.SeekPage(1), 0);
    faximage::ApfPageHeader page;
    ASSERT_EQ(reader.ReadPageHeader(page), 0);
    std::vector<std::uint8_t> data(page.dataLength);
    EXPECT_EQ(reader.Read(data), -100);
}

}  // namespace
}  // namespace corvane::engine
