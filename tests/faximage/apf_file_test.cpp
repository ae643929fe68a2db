#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "apf_test_support.h"
#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"

namespace corvane::faximage {
namespace {

using testing::ApfBytes;
using testing::HeaderFor;
using testing::ReadBytes;
using testing::TestPage;
using testing::WriteBytes;

TEST(ApfRecords, LayoutIsLittleEndianAtTheFixedOffsets) {
    ApfFileHeader header = HeaderFor(0x0203, "+1 555 0100", 0x11223344);
    header.firstPageOffset = 0x40;
    const auto bytes = EncodeFileHeader(header);
    const std::vector<std::uint8_t> start = {'A',  'P',  'F',  '1', '0', 0x1A, 0x44,
                                             0x33, 0x22, 0x11, 11,  '+', '1'};
    EXPECT_TRUE(std::equal(start.begin(), start.end(), bytes.begin()));
    EXPECT_EQ(bytes[30], ' ');  // padding of the station id
    EXPECT_EQ(bytes[31], 0);
    EXPECT_EQ(bytes[32], 0x03);
    EXPECT_EQ(bytes[33], 0x02);
    EXPECT_EQ(bytes[34], 0x40);
    EXPECT_TRUE(std::all_of(bytes.begin() + 38, bytes.end(), [](auto b) { return b == 0; }));
    const ApfFileHeader back = DecodeFileHeader(bytes.data());
    EXPECT_EQ(back.StationId(), "+1 555 0100");
    EXPECT_EQ(back.pageCount, 0x0203);
    EXPECT_EQ(back.dateStamp, 0x11223344u);

    const auto page = EncodePageHeader({0x01020304, pfFine | pfCountedLines});
    EXPECT_EQ(std::vector<std::uint8_t>(page.begin(), page.end()),
              (std::vector<std::uint8_t>{4, 3, 2, 1, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(DecodePageHeader(page.data()).dataLength, 0x01020304u);
}

TEST(ApfRecords, StationIdIsCutToTwentyAndReadByItsLengthByte) {
    ApfFileHeader header = NewFileHeader();
    SetStationId(header, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(header.stationIdLength, 20);
    EXPECT_EQ(header.StationId(), "ABCDEFGHIJKLMNOPQRST");
    SetStationId(header, "42");
    EXPECT_EQ(header.StationId(), "42");
    EXPECT_EQ(std::string(header.stationId.data(), 20), "42                  ");
    header.stationIdLength = 200;  // damaged files never read past the field
    EXPECT_EQ(header.StationId().size(), 20u);
}

TEST(ApfRecords, DateStampPacksDosStyleWithinItsYears) {
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 31;
    time.tm_hour = 23;
    time.tm_min = 59;
    time.tm_sec = 59;
    EXPECT_EQ(PackDateStamp(time),
              (46u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u);
    time.tm_year = 1979 - 1900;
    EXPECT_EQ(PackDateStamp(time), 0u);
    time.tm_year = 2100 - 1900;
    EXPECT_EQ(PackDateStamp(time), 0u);
    time.tm_year = 2099 - 1900;
    EXPECT_NE(PackDateStamp(time), 0u);
}

class ApfFileTest : public ::testing::Test {
  protected:
    testing::TempDirectory dir_;
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir_.File(name);
        WriteBytes(path, bytes);
        return path;
    }
};

TEST_F(ApfFileTest, SignatureTestAndHeaderReading) {
    const std::string good = Write("good.apf", ApfBytes(HeaderFor(0, "ID"), {}));
    auto wrong = ApfBytes(HeaderFor(0), {});
    wrong[4] = '1';
    const std::string bad = Write("bad.apf", wrong);
    const std::string shortFile = Write("short.apf", {'A', 'P', 'F', '1', '0'});
    const std::string signatureOnly = Write("sig.apf", {'A', 'P', 'F', '1', '0', 0x1A});

    EXPECT_TRUE(IsApfFile(good));
    EXPECT_TRUE(IsApfFile(signatureOnly));
    EXPECT_FALSE(IsApfFile(bad));
    EXPECT_FALSE(IsApfFile(shortFile));
    EXPECT_FALSE(IsApfFile(dir_.File("missing.apf")));
    EXPECT_FALSE(IsApfFile(""));

    struct Case {
        std::string path;
        int code;
    };
    for (const Case& c : {Case{good, ecOK}, Case{bad, ecFaxBadFormat}, Case{"", ecFileNotFound},
                          Case{dir_.File("missing.apf"), ecFileNotFound},
                          Case{good + "/inside.apf", -3}, Case{signatureOnly, -100}}) {
        ApfFileHeader header;
        EXPECT_EQ(ReadApfHeader(c.path, header), c.code) << c.path;
    }
    ApfFileHeader header;
    ASSERT_EQ(ReadApfHeader(good, header), ecOK);
    EXPECT_EQ(header.StationId(), "ID");
    EXPECT_EQ(header.pageCount, 0);
}

TEST_F(ApfFileTest, LookupWalksTheChain) {
    const std::vector<TestPage> pages = {{pfCountedLines, std::vector<std::uint8_t>(22, 1)},
                                         {pfFine, std::vector<std::uint8_t>(5000, 2)},
                                         {pfWide, {}}};
    const std::string path = Write("three.apf", ApfBytes(HeaderFor(3), pages));
    for (int page = 1; page <= 3; ++page) {
        ApfPageHeader header;
        ASSERT_EQ(LookupPageHeader(path, page, header), ecOK);
        EXPECT_EQ(header.dataLength, pages[page - 1].data.size());
        EXPECT_EQ(header.pageFlags, pages[page - 1].flags);
    }
    ApfPageHeader untouched{77, 7};
    EXPECT_EQ(LookupPageHeader(path, 0, untouched), ecOK);
    EXPECT_EQ(untouched.dataLength, 77u);
    EXPECT_EQ(LookupPageHeader(path, 4, untouched), ecFaxBadFormat);
    EXPECT_EQ(LookupPageHeader(path, -1, untouched), ecFaxBadFormat);
    EXPECT_EQ(LookupPageHeader("", 1, untouched), ecFileNotFound);
}

TEST_F(ApfFileTest, EmptyFaxAndTruncatedChain) {
    const std::string empty = Write("empty.apf", ApfBytes(HeaderFor(0), {}));
    ApfFileHeader header;
    EXPECT_EQ(ReadApfHeader(empty, header), ecOK);
    ApfPageHeader page;
    EXPECT_EQ(LookupPageHeader(empty, 1, page), ecFaxBadFormat);

    // Count says three, the file ends inside page 2: a read error, not a format error.
    auto bytes = ApfBytes(
        HeaderFor(3), {{0, std::vector<std::uint8_t>(10)}, {0, std::vector<std::uint8_t>(100)}});
    bytes.erase(bytes.end() - 50, bytes.end());
    const std::string truncated = Write("truncated.apf", bytes);
    EXPECT_EQ(LookupPageHeader(truncated, 2, page), ecOK);
    EXPECT_EQ(LookupPageHeader(truncated, 3, page), -100);
    EXPECT_EQ(ErrorText(-100), "Attempt to read beyond end of file");
}

class JoinTest : public ApfFileTest {
  protected:
    const std::vector<TestPage> cover_ = {{pfCountedLines, std::vector<std::uint8_t>(22, 0xC0)}};
    const std::vector<TestPage> body_ = {
        {pfFine | pfCountedLines, std::vector<std::uint8_t>(9000, 0xB0)},
        {pfWide, std::vector<std::uint8_t>(3, 0xB1)}};
};

TEST_F(JoinTest, AppendsEveryPageAndKeepsTheFirstFilesIdentity) {
    const std::string first = Write("cover.apf", ApfBytes(HeaderFor(1, "COVER", 1234), cover_));
    const auto secondBytes = ApfBytes(HeaderFor(2, "BODY", 99), body_);
    const std::string second = Write("body.apf", secondBytes);

    JoinApfFiles(first, second);

    std::vector<TestPage> all = cover_;
    all.insert(all.end(), body_.begin(), body_.end());
    EXPECT_EQ(ReadBytes(first), ApfBytes(HeaderFor(3, "COVER", 1234), all));
    EXPECT_EQ(ReadBytes(second), secondBytes);
    ApfPageHeader page;
    ASSERT_EQ(LookupPageHeader(first, 3, page), ecOK);
    EXPECT_EQ(page.pageFlags, pfWide);
}

TEST_F(JoinTest, OverwritesBytesLeftBehindByAnEarlierFailure) {
    auto firstBytes = ApfBytes(HeaderFor(1, "COVER"), cover_);
    const std::size_t ownEnd = firstBytes.size();
    firstBytes.insert(firstBytes.end(), 20000, 0xEE);
    const std::string first = Write("cover.apf", firstBytes);
    const std::string second = Write("body.apf", ApfBytes(HeaderFor(2), body_));
    JoinApfFiles(first, second);
    const auto joined = ReadBytes(first);
    std::vector<TestPage> all = cover_;
    all.insert(all.end(), body_.begin(), body_.end());
    const auto expected = ApfBytes(HeaderFor(3, "COVER"), all);
    ASSERT_GE(joined.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), joined.begin()));
    EXPECT_GT(expected.size(), ownEnd);
}

TEST_F(JoinTest, FailuresRaiseTheirCodeAndLeaveTheFirstHeader) {
    const auto firstBytes = ApfBytes(HeaderFor(1, "COVER"), cover_);
    const std::string first = Write("cover.apf", firstBytes);
    const std::string second = Write("body.apf", ApfBytes(HeaderFor(2), body_));

    const auto codeOf = [](auto&& call) {
        try {
            call();
        } catch (const FaxError& error) {
            return error.code();
        }
        return 0;
    };
    EXPECT_EQ(codeOf([&] { JoinApfFiles(first, dir_.File("missing.apf")); }), ecFileNotFound);
    EXPECT_EQ(codeOf([&] { JoinApfFiles(dir_.File("missing.apf"), second); }), ecFileNotFound);
    EXPECT_EQ(ReadBytes(first), firstBytes);

    // A first file whose chain runs past its end is not appended to.
    auto broken = ApfBytes(HeaderFor(2, "X"), cover_);
    const std::string brokenPath = Write("broken.apf", broken);
    EXPECT_EQ(codeOf([&] { JoinApfFiles(brokenPath, second); }), -100);
    EXPECT_EQ(ReadBytes(brokenPath), broken);

    // Page counts that would wrap the 16-bit field.
    const std::string many = Write("many.apf", ApfBytes(HeaderFor(0xFFFF), {}));
    EXPECT_EQ(codeOf([&] { JoinApfFiles(first, many); }), -1002);
    EXPECT_EQ(ReadBytes(first), firstBytes);

    // A first file that cannot be written keeps its bytes.
    ::chmod(first.c_str(), 0444);
    if (::access(first.c_str(), W_OK) != 0) {
        EXPECT_EQ(codeOf([&] { JoinApfFiles(first, second); }), -5);
        EXPECT_EQ(ReadBytes(first), firstBytes);
    }
}

// The file-size limit makes the copy fail after part of the body is written.
TEST_F(JoinTest, ACopyCutShortLeavesTheOldHeaderInCharge) {
    const auto firstBytes = ApfBytes(HeaderFor(1, "COVER"), cover_);
    const std::string first = Write("cover.apf", firstBytes);
    const std::string second = Write("body.apf", ApfBytes(HeaderFor(2), body_));

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = firstBytes.size() + 5000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    int code = 0;
    try {
        JoinApfFiles(first, second);
    } catch (const FaxError& error) {
        code = error.code();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(code, -101);
    const auto after = ReadBytes(first);
    EXPECT_GT(after.size(), firstBytes.size());
    EXPECT_TRUE(std::equal(firstBytes.begin(), firstBytes.end(), after.begin()));
    ApfFileHeader header;
    ASSERT_EQ(ReadApfHeader(first, header), ecOK);
    EXPECT_EQ(header.pageCount, 1);
}

}  // namespace
}  // namespace corvane::faximage
