// The cover data file: what the editor writes reads back, and files the
// program did not write read as safely as possible.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/temp_dir.h"
#include "covers/files/cover_data_file.h"

namespace corvane::covers {
namespace {

TEST(CoverDataFile, RoundTripKeepsTemplateFlagsAndMessageLines) {
    testing::TempDir dir;
    CoverValues flags;
    flags.Urgent = flags.PleaseReply = true;
    const CoverData data{"cv0003.fct", FlagsText(flags), {"Dear Sir,", "", "  indented", "end"}};
    WriteCoverDataFile(dir.path() + "COV00001.FCD", data);
    EXPECT_EQ(dir.Read("COV00001.FCD"),
              "cv0003.fct\r\nX  X \r\nDear Sir,\r\n\r\n  indented\r\nend\r\n");
    const CoverData back = ReadCoverDataFile(dir.path() + "COV00001.FCD");
    EXPECT_EQ(back.templateName, data.templateName);
    EXPECT_EQ(back.flags, data.flags);
    EXPECT_EQ(back.message, data.message);
}

TEST(CoverDataFile, EmptyMessageGivesExactlyTwoLines) {
    EXPECT_EQ(FormatCoverData({"cv0001.fct", "     ", {}}), "cv0001.fct\r\n     \r\n");
    EXPECT_TRUE(ParseCoverData("cv0001.fct\r\n     \r\n").message.empty());
}

TEST(CoverDataFile, ShortOrMissingFilesGiveTheDefaults) {
    testing::TempDir dir;
    for (const char* text : {"", "cv0004.fct", "cv0004.fct\r\n"}) {
        const CoverData data = ParseCoverData(text);
        EXPECT_EQ(data.templateName, "cv0001.fct") << text;
        EXPECT_TRUE(data.flags.empty());
        EXPECT_TRUE(data.message.empty());
    }
    EXPECT_EQ(ReadCoverDataFile(dir.path() + "missing.fcd").templateName, "cv0001.fct");
}

TEST(CoverDataFile, TemplateLineKeepsOnlyTheFileName) {
    EXPECT_EQ(ParseCoverData("C:\\CV\\Covers\\CV0002.FCT\r\nXXXXX\r\n").templateName, "CV0002.FCT");
    EXPECT_EQ(ParseCoverData("/home/u/cv0005.fct\nXXXXX\nline\n").message,
              std::vector<std::string>{"line"});
    EXPECT_EQ(ParseCoverData("\r\n     \r\n").templateName, "cv0001.fct");
}

TEST(CoverDataFile, FlagCharactersTickOnlyWhenFiveLong) {
    struct Case {
        const char* text;
        std::array<bool, 5> expected;
    };
    const Case cases[] = {
        {"X X X", {true, false, true, false, true}},
        {"XXXXX", {true, true, true, true, true}},
        {"x X  ", {false, false, true, false, false}},
        {"XXXX", {false, false, false, false, false}},
        {"XXXXXX", {false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        CoverValues values;
        values.ForReview = true;  // cleared unless ticked
        ApplyFlags(c.text, values);
        for (std::size_t i = 0; i < kCoverFlags.size(); ++i)
            EXPECT_EQ(values.*kCoverFlags[i].member, c.expected[i]) << c.text << " flag " << i;
        if (std::string(c.text).size() == 5)
            EXPECT_EQ(FlagsText(values), std::string(c.text) == "x X  " ? "  X  " : c.text);
    }
}

TEST(CoverDataFile, FailedWriteLeavesTheOldFile) {
    testing::TempDir dir;
    const std::string path = dir.Write("COV00000.FCD", "cv0001.fct\r\n     \r\nold\r\n");
    ::mkdir((path + ".part").c_str(), 0755);  // the temporary name cannot be a file
    EXPECT_THROW(WriteCoverDataFile(path, {"cv0002.fct", "XXXXX", {"new"}}), std::runtime_error);
    EXPECT_EQ(dir.Read("COV00000.FCD"), "cv0001.fct\r\n     \r\nold\r\n");
}

}  // namespace
}  // namespace corvane::covers
