#include "app/program_directory.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/text_utils.h"
#include "temp_dir.h"

namespace corvane::app {
namespace {

namespace fs = std::filesystem;
using corvane::testing::TempDir;

class ProgramDirectoryTest : public ::testing::Test {
  protected:
    void SetUp() override { SetProgramDirectory(dir.path()); }
    TempDir dir;
};

TEST_F(ProgramDirectoryTest, PathsAreBuiltOnTheProgramDirectory) {
    SetProgramDirectory(dir.path() + "home");  // the slash is added
    EXPECT_EQ(ProgramDirectory(), dir.path() + "home/");
    EXPECT_EQ(SettingsPath(), dir.path() + "home/CV.INI");
    EXPECT_EQ(SendDirectory(), dir.path() + "home/SEND/");
    EXPECT_EQ(CoversDirectory(), dir.path() + "home/Covers/");
}

TEST(DefaultDirectories, FollowTheXdgVariables) {
    const std::string savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    ::setenv("XDG_CONFIG_HOME", "/config/home/", 1);
    EXPECT_EQ(DefaultProgramDirectory(), "/data/home/corvane/");
    EXPECT_EQ(ConfigDirectory(), "/config/home/corvane/");
    ::setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/ann", 1);
    EXPECT_EQ(DefaultProgramDirectory(), "/home/ann/.local/share/corvane/");
    EXPECT_EQ(ConfigDirectory(), "/home/ann/.config/corvane/");
    if (savedData.empty()) {
        ::unsetenv("XDG_DATA_HOME");
    } else {
        ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    }
    ::setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(ProgramDirectoryTest, DirectoriesOfAnotherSpellingAreFound) {
    fs::create_directory(dir.path() + "receive");
    fs::create_directory(dir.path() + "Send");
    EnsureWorkDirectories();
    EXPECT_EQ(ReceiveDirectory(), dir.path() + "receive/");
    EXPECT_EQ(SendDirectory(), dir.path() + "Send/");
    EXPECT_FALSE(fs::exists(dir.path() + "Receive"));
    EXPECT_FALSE(fs::exists(dir.path() + "SEND"));
}

TEST_F(ProgramDirectoryTest, EnsureWorkDirectoriesCreatesBoth) {
    EnsureWorkDirectories();
    EXPECT_TRUE(fs::is_directory(dir.path() + "SEND"));
    EXPECT_TRUE(fs::is_directory(dir.path() + "Receive"));
}

TEST_F(ProgramDirectoryTest, ForceDirectoryCreatesParentsAndIgnoresShortPaths) {
    EXPECT_TRUE(ForceDirectory(dir.path() + "a/b/c/"));
    EXPECT_TRUE(fs::is_directory(dir.path() + "a/b/c"));
    EXPECT_TRUE(ForceDirectory(dir.path() + "a/b"));  // existing
    EXPECT_FALSE(ForceDirectory("xy"));
    EXPECT_FALSE(fs::exists("xy"));
    dir.Write("file", "");
    EXPECT_FALSE(ForceDirectory(dir.path() + "file/sub"));
}

TEST_F(ProgramDirectoryTest, UniqueNamesTakeTheFirstFreeNumber) {
    struct Case {
        std::vector<std::string> present;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "FAX00000.APF"},
        {{"FAX00000.APF", "FAX00001.APF", "FAX00002.APF", "FAX00003.APF", "FAX00004.APF"},
         "FAX00005.APF"},
        {{"FAX00000.APF", "FAX00002.APF"}, "FAX00001.APF"},
        {{"fax00000.apf"}, "FAX00001.APF"},  // names compare without regard to case
        {{"COV00000.APF"}, "FAX00000.APF"},
    };
    EnsureWorkDirectories();
    for (const Case& c : cases) {
        fs::remove_all(dir.path() + "SEND");
        fs::create_directory(dir.path() + "SEND");
        for (const auto& name : c.present) dir.Write("SEND/" + name, "x");
        EXPECT_EQ(UniqueSendName("FAX"), dir.path() + "SEND/" + c.expected);
    }
    dir.Write("TEMP00000.APF", "x");
    EXPECT_EQ(UniqueWorkName("TEMP"), dir.path() + "TEMP00001.APF");
}

TEST_F(ProgramDirectoryTest, CopyFileIfDifferent) {
    const std::string source = dir.Write("a.apf", std::string(5000, 'a'));
    dir.Write("b.apf", "old");
    EXPECT_TRUE(CopyFileIfDifferent(source, dir.path() + "b.apf"));
    EXPECT_EQ(dir.Read("b.apf"), std::string(5000, 'a'));

    EXPECT_FALSE(CopyFileIfDifferent(source, source));
    EXPECT_EQ(dir.Read("a.apf"), std::string(5000, 'a'));

    EXPECT_FALSE(CopyFileIfDifferent(dir.path() + "missing.apf", dir.path() + "c.apf"));
    EXPECT_FALSE(fs::exists(dir.path() + "c.apf"));
    EXPECT_FALSE(CopyFileIfDifferent(source, dir.path() + "no-dir/c.apf"));
}

TEST(TextUtils, TrimmingRemovesSpacesOnly) {
    EXPECT_EQ(TrimLeadingSpaces("  a b "), "a b ");
    EXPECT_EQ(TrimTrailingSpaces("  a b "), "  a b");
    EXPECT_EQ(TrimSpaces("  a b "), "a b");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
}

TEST(TextUtils, CutUtf8StopsAtCharacterBoundaries) {
    EXPECT_EQ(CutUtf8("abcdef", 4), "abcd");
    EXPECT_EQ(CutUtf8("ab\xC3\xA9z", 3), "ab");  // é is two bytes
    EXPECT_EQ(CutUtf8("ab\xC3\xA9z", 4), "ab\xC3\xA9");
    EXPECT_EQ(CutUtf8("\xE2\x82\xAC", 2), "");  // € is three bytes
    EXPECT_EQ(CutUtf8("short", 50), "short");
}

}  // namespace
}  // namespace corvane::app
