#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "apf_test_support.h"
#include "faximage/apf_writer.h"
#include "faximage/fax_errors.h"
#include "faximage/t4_codec.h"

namespace corvane::faximage {
namespace {

using testing::ReadBytes;

class ApfWriterTest : public ::testing::Test {
  protected:
    testing::TempDirectory dir_;
    std::string path_ = dir_.File("out.apf");

    // One counted-lines page holding a blank line and the end-of-page record.
    static int WriteBlankPage(ApfWriter& writer) {
        T4Encoder encoder;
        const std::vector<std::uint8_t> blank(216, 0);
        EncodeLine(encoder, blank.data());
        if (int code = writer.BeginPage(pfCountedLines))
            return code;
        if (int code = writer.AppendLineRecord(encoder.buffer.data(),
                                               static_cast<std::uint16_t>(encoder.bytePos)))
            return code;
        std::uint8_t record[12];
        int length = 0;
        MakeEndOfPage(encoder, record, length);
        if (int code = writer.AppendLineRecord(record, static_cast<std::uint16_t>(length)))
            return code;
        return writer.EndPage();
    }
};

TEST_F(ApfWriterTest, AtomicFileAppearsOnlyWhenFinished) {
    ApfWriter writer;
    ASSERT_EQ(writer.Create(path_, ApfWriter::Mode::Atomic), ecOK);
    ASSERT_EQ(WriteBlankPage(writer), ecOK);
    EXPECT_FALSE(std::filesystem::exists(path_));
    ASSERT_EQ(WriteBlankPage(writer), ecOK);
    ApfFileHeader header = NewFileHeader();
    SetStationId(header, "STATION");
    header.dateStamp = 0x5A5A5A5A;
    header.pageCount = 99;  // the writer's own count wins
    ASSERT_EQ(writer.Finish(header), ecOK);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"out.apf"});

    const std::vector<std::uint8_t> pageData = {6,    0,    0x00, 0x80, 0xB2, 0x59, 0x01, 0x00,
                                                12,   0,    0x00, 0x80, 0x00, 0x08, 0x80, 0x00,
                                                0x08, 0x80, 0x00, 0x08, 0x80, 0x00};
    header.pageCount = 2;
    EXPECT_EQ(ReadBytes(path_),
              testing::ApfBytes(header, {{pfCountedLines, pageData}, {pfCountedLines, pageData}}));
    ApfPageHeader page;
    ASSERT_EQ(LookupPageHeader(path_, 2, page), ecOK);
    EXPECT_EQ(page.dataLength, 22u);
}

TEST_F(ApfWriterTest, AbandonedOrDestroyedAtomicWriteLeavesNothing) {
    {
        ApfWriter writer;
        ASSERT_EQ(writer.Create(path_, ApfWriter::Mode::Atomic), ecOK);
        ASSERT_EQ(WriteBlankPage(writer), ecOK);
        writer.Abandon();
        EXPECT_EQ(writer.Finish(NewFileHeader()), -103);
    }
    {
        ApfWriter writer;
        ASSERT_EQ(writer.Create(path_, ApfWriter::Mode::Atomic), ecOK);
        ASSERT_EQ(writer.BeginPage(0), ecOK);
    }
    EXPECT_TRUE(dir_.Entries().empty());
}

TEST_F(ApfWriterTest, AtomicReplacesAnOldFileOnlyOnSuccess) {
    testing::WriteBytes(path_, {1, 2, 3});
    {
        ApfWriter writer;
        ASSERT_EQ(writer.Create(path_, ApfWriter::Mode::Atomic), ecOK);
        ASSERT_EQ(WriteBlankPage(writer), ecOK);
    }
    EXPECT_EQ(ReadBytes(path_), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(ApfWriterTest, FailedWriteDeletesTheAtomicFile) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 10000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    ApfWriter writer;
    int code = writer.Create(path_, ApfWriter::Mode::Atomic);
    const std::vector<std::uint8_t> data(1000, 0x11);
    if (code == ecOK)
        code = writer.BeginPage(0);
    for (int i = 0; i < 30 && code == ecOK; ++i) code = writer.Append(data.data(), data.size());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(code, -101);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_TRUE(dir_.Entries().empty());
}

TEST_F(ApfWriterTest, InPlaceFileIsValidAfterEveryCompletedPage) {
    ApfWriter writer;
    ASSERT_EQ(writer.Create(path_, ApfWriter::Mode::InPlace), ecOK);
    for (int pages = 1; pages <= 3; pages += 2) {
        ASSERT_EQ(WriteBlankPage(writer), ecOK);
        // Half of the next page is on its way; readers see the finished pages.
        ASSERT_EQ(writer.BeginPage(pfFine), ecOK);
        const std::vector<std::uint8_t> partial(5000, 0x42);
        ASSERT_EQ(writer.Append(partial.data(), partial.size()), ecOK);
        EXPECT_EQ(writer.CurrentPageLength(), 5000u);
        ApfFileHeader header;
        ASSERT_EQ(ReadApfHeader(path_, header), ecOK);
        EXPECT_EQ(header.pageCount, pages);
        ApfPageHeader page;
        ASSERT_EQ(LookupPageHeader(path_, pages, page), ecOK);
        EXPECT_EQ(page.dataLength, 22u);
        ASSERT_EQ(writer.EndPage(), ecOK);
    }
    ASSERT_EQ(writer.Finish(NewFileHeader()), ecOK);
    ApfFileHeader header;
    ASSERT_EQ(ReadApfHeader(path_, header), ecOK);
    EXPECT_EQ(header.pageCount, 4);
}

TEST_F(ApfWriterTest, CallsOutOfOrderAreRefused) {
    ApfWriter writer;
    const std::uint8_t byte = 0;
    EXPECT_EQ(writer.BeginPage(0), -103);
    EXPECT_EQ(writer.Create("", ApfWriter::Mode::Atomic), ecFileNotFound);
    testing::WriteBytes(path_, {});
    EXPECT_EQ(writer.Create(path_ + "/inside.apf", ApfWriter::Mode::Atomic), -3);
    ASSERT_EQ(writer.Create(path_, ApfWriter::Mode::Atomic), ecOK);
    EXPECT_EQ(writer.Append(&byte, 1), -1002);
    EXPECT_EQ(writer.EndPage(), -1002);
    ASSERT_EQ(writer.BeginPage(0), ecOK);
    EXPECT_EQ(writer.BeginPage(0), -1002);
}

}  // namespace
}  // namespace corvane::faximage
