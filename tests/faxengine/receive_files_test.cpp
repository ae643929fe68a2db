// The receive side's file work: names, identifiers from the far end, the
// end-of-page watch, and a page file that drops a bad page again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "faxengine/receive_files.h"
#include "faximage/t4_codec.h"

namespace corvane::engine {
namespace {

std::string FreshDir(const std::string& name) {
    const std::string dir = ::testing::TempDir() + "corvane_rxfiles_" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(ReceiveNames, FirstFreeNameByMode) {
    const std::string dir = FreshDir("names");
    std::tm today{};
    today.tm_mon = 11;
    today.tm_mday = 3;
    EXPECT_EQ(DefaultReceiveName(ReceiveNaming::rnNumbered, dir, "APF", today),
              dir + "/FAX0001.APF");
    std::ofstream(dir + "/FAX0001.APF") << "x";
    std::ofstream(dir + "/12030001.APF") << "x";
    EXPECT_EQ(DefaultReceiveName(ReceiveNaming::rnNumbered, dir, "APF", today),
              dir + "/FAX0002.APF");
    EXPECT_EQ(DefaultReceiveName(ReceiveNaming::rnDated, dir + "/", "APF", today),
              dir + "/12030002.APF");
    EXPECT_EQ(DefaultReceiveName(ReceiveNaming::rnNone, dir, "APF", today), "noname.apf");
    EXPECT_EQ(DefaultReceiveName(ReceiveNaming::rnNumbered, "", "APF", today).substr(0, 3), "FAX");
}

TEST(ReceiveNames, FarEndIdentifiersArePrintableAndShort) {
    const struct {
        std::string id;
        std::string safe;
    } cases[] = {
        {"", ""},
        {"5550100", "5550100"},
        {std::string("a\0b\x1b[2J\x7f\xff", 9), "a?b?[2J??"},
        {"<b>$(rm -rf ~)</b>;`x`", "<b>$(rm -rf ~)</b>;`"},
        {std::string(255, 'X'), std::string(20, 'X')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SafeRemoteID(c.id), c.safe.substr(0, 20));
    }
}

std::vector<std::uint8_t> Bytes(const std::vector<int>& values) {
    return std::vector<std::uint8_t>(values.begin(), values.end());
}

TEST(EndOfPage, SeesSixEndOfLineCodesInARow) {
    const std::vector<std::uint8_t> rtc(faximage::kEndOfPageRecord.begin(),
                                        faximage::kEndOfPageRecord.end());
    const struct {
        std::vector<std::uint8_t> data;
        bool ended;
    } cases[] = {
        {{}, false},
        {rtc, true},
        {std::vector<std::uint8_t>(rtc.begin(), rtc.end() - 6), false},  // cut short
        {Bytes({0x00, 0x80, 0xB2, 0x59, 0x01}), false},                  // one line, no end
    };
    // What a demodulator hands over after the page as the carrier dies.
    const std::vector<std::uint8_t> tail = Bytes({0xFF, 0xFF, 0x3B, 0xFF, 0x43, 0x66, 0x5A, 0x0C,
                                                  0x41, 0xDC, 0xEE, 0xEE, 0xEE, 0xEE, 0x00, 0x80});
    for (const auto& c : cases) {
        EndOfPageWatch watch;
        for (std::uint8_t b : Bytes({0x00, 0x80, 0xB2, 0x59, 0x01})) watch.Add(b);
        for (std::uint8_t b : c.data) watch.Add(b);
        // Fill after the end changes nothing, nor does the tail.
        watch.Add(0);
        EXPECT_EQ(watch.PageEnded(), c.ended);
        for (std::uint8_t b : tail) watch.Add(b);
        EXPECT_EQ(watch.PageEnded(), c.ended);
    }
}

TEST(TrainingCheck, ShareOfNonZeroBytesBeforeTheTail) {
    const std::vector<std::uint8_t> tail =
        Bytes({0xFF, 0xFF, 0xFF, 0x3B, 0xFF, 0x43, 0x66, 0x5A, 0x0C});
    const struct {
        const char* name;
        std::size_t zeros;
        std::size_t errorEvery;  // one non-zero byte in this many; 0 for none
        bool passes;
    } cases[] = {
        {"1.5 s at 9600", 1800, 0, true},
        {"5 %", 1800, 20, true},
        {"10 %", 1800, 10, false},
        {"short and clean", 40, 0, true},
        {"nothing but the tail", 0, 0, false},
    };
    for (const auto& c : cases) {
        TrainingCheckTally tally;
        for (std::size_t i = 0; i < c.zeros; ++i)
            tally.Add(c.errorEvery != 0 && i % c.errorEvery == 0 ? 0x10 : 0x00);
        for (std::uint8_t b : tail) tally.Add(b);
        EXPECT_EQ(tally.Passes(), c.passes) << c.name;
    }
}

TEST(ReceiveFileTest, PagesCompleteOneByOneAndADiscardedPageLeavesNoTrace) {
    const std::string path = FreshDir("file") + "/FAX0001.APF";
    ReceiveFile file;
    ASSERT_EQ(file.Create(path, "5550100"), 0);
    EXPECT_TRUE(faximage::IsApfFile(path));
    ASSERT_EQ(file.BeginPage(faximage::pfFine), 0);
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(file.Store(static_cast<std::uint8_t>(i)), 0);
    ASSERT_EQ(file.EndPage("5550100"), 0);
    const auto afterOne = std::filesystem::file_size(path);

    // A refused page, then its repeat, then a page cut off by a close.
    ASSERT_EQ(file.BeginPage(0), 0);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(file.Store(0xAA), 0);
    ASSERT_EQ(file.DiscardPage(), 0);
    EXPECT_EQ(std::filesystem::file_size(path), afterOne);
    ASSERT_EQ(file.BeginPage(faximage::pfWide), 0);
    ASSERT_EQ(file.Store(0x55), 0);
    ASSERT_EQ(file.EndPage("5550100"), 0);
    ASSERT_EQ(file.BeginPage(0), 0);
    for (int i = 0; i < 6000; ++i) ASSERT_EQ(file.Store(0x11), 0);
    file.Close();

    faximage::ApfFileHeader header;
    ASSERT_EQ(faximage::ReadApfHeader(path, header), 0);
    EXPECT_EQ(header.pageCount, 2);
    EXPECT_EQ(header.StationId(), "5550100             ");
    EXPECT_EQ(std::filesystem::file_size(path), afterOne + 16 + 1);
    faximage::ApfPageHeader page;
    ASSERT_EQ(faximage::LookupPageHeader(path, 1, page), 0);
    EXPECT_EQ(page.dataLength, 10000u);
    EXPECT_EQ(page.pageFlags, faximage::pfFine);
    ASSERT_EQ(faximage::LookupPageHeader(path, 2, page), 0);
    EXPECT_EQ(page.dataLength, 1u);
    EXPECT_EQ(page.pageFlags, faximage::pfWide);
}

TEST(ReceiveFileTest, DataOutsideAPageNeverBreaksTheChain) {
    const std::string path = FreshDir("outside") + "/FAX0001.APF";
    ReceiveFile file;
    ASSERT_EQ(file.Create(path, ""), 0);
    ASSERT_EQ(file.Store(0x77), 0);
    ASSERT_EQ(file.BeginPage(0), 0);
    ASSERT_EQ(file.Store(0x01), 0);
    ASSERT_EQ(file.EndPage(""), 0);
    ASSERT_EQ(file.Store(0x77), 0);
    ASSERT_EQ(file.BeginPage(0), 0);
    ASSERT_EQ(file.Store(0x02), 0);
    ASSERT_EQ(file.EndPage(""), 0);
    file.Close();
    faximage::ApfPageHeader page;
    ASSERT_EQ(faximage::LookupPageHeader(path, 2, page), 0);
    EXPECT_EQ(page.dataLength, 1u);
    EXPECT_EQ(std::filesystem::file_size(path), 64u + 2 * (16 + 1));
}

TEST(ReceiveFileTest, UnwritablePathGivesAFileCode) {
    ReceiveFile file;
    EXPECT_EQ(file.Create("/nonexistent-corvane/FAX0001.APF", "x"), -2);
    EXPECT_EQ(file.Create("", "x"), -2);
    EXPECT_FALSE(file.IsOpen());
}

}  // namespace
}  // namespace corvane::engine
