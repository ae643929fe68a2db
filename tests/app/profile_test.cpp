#include "app/profile.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace corvane::app {
namespace {

using corvane::testing::TempDir;

TEST(ProfileInteger, ReadingRules) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"12", 12},
        {" 42 ", 42},
        {"-5", -5},
        {"+8", 8},
        {"0x1F", 31},
        {"0XfF", 255},
        {"0xFFFFFFFF", -1},
        {"0x", 7},
        {"0x1G", 7},
        {"abc", 7},
        {"", 7},
        {"12abc", 7},
        {"-", 7},
        {"99999999999", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseProfileInteger(c.text, 7), c.expected) << '"' << c.text << '"';
    }
}

TEST(Profile, ReadsWithoutRegardToCaseAndUnquotes) {
    TempDir dir;
    const std::string path = dir.Write("CV.INI",
                                       "; comment\r\n"
                                       "[Modem]\r\n"
                                       "ComPort = 2\r\n"
                                       "InitString=\"ATX3 \"\r\n"
                                       "[Dialing]\n"
                                       "BlindDial=5\n"
                                       "IgnoreBusy=0\n"
                                       "Timeout=soon\n"
                                       "[modem]\n"
                                       "ComPort=4\n");
    const Profile ini(path);
    EXPECT_EQ(ini.ReadInteger("MODEM", "comport", -1), 2);  // the first section of a name wins
    EXPECT_EQ(ini.ReadString("modem", "INITSTRING", ""), "ATX3 ");
    EXPECT_TRUE(ini.ReadBool("Dialing", "BlindDial", false));
    EXPECT_FALSE(ini.ReadBool("Dialing", "IgnoreBusy", true));
    EXPECT_EQ(ini.ReadInteger("Dialing", "Timeout", 60), 60);
    EXPECT_EQ(ini.ReadString("Dialing", "Missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("Nowhere", "Timeout", "def"), "def");
    EXPECT_TRUE(ini.KeyExists("dialing", "TIMEOUT"));
    EXPECT_FALSE(ini.KeyExists("dialing", "Wav"));
}

TEST(Profile, TextsAreReadThroughA1024CharacterBuffer) {
    TempDir dir;
    const std::string path = dir.Write("CV.INI", "[User]\nName=" + std::string(2000, 'n') + "\n");
    EXPECT_EQ(Profile(path).ReadString("User", "Name", ""), std::string(1023, 'n'));
}

TEST(Profile, WritesKeepTheRestOfTheFile) {
    TempDir dir;
    const std::string path = dir.Write("CV.INI",
                                       "; keep me\n"
                                       "[User]\n"
                                       "name=Old\n"
                                       "\n"
                                       "[TMainScreen_Placement]\n"
                                       "Left=10\n");
    Profile ini(path);
    ini.WriteString("USER", "Name", "New");
    ini.WriteString("User", "Fax", "555");
    ini.WriteInteger("Modem", "ComPort", 1);
    ini.WriteBool("Dialing", "BlindDial", true);
    EXPECT_EQ(dir.Read("CV.INI"),
              "; keep me\n"
              "[User]\n"
              "name=New\n"
              "Fax=555\n"
              "\n"
              "[TMainScreen_Placement]\n"
              "Left=10\n"
              "\n"
              "[Modem]\n"
              "ComPort=1\n"
              "\n"
              "[Dialing]\n"
              "BlindDial=1\n");

    ini.DeleteKey("user", "FAX");
    ini.EraseSection("tmainscreen_placement");
    EXPECT_FALSE(ini.KeyExists("User", "Fax"));
    EXPECT_FALSE(ini.KeyExists("TMainScreen_Placement", "Left"));
    EXPECT_EQ(ini.ReadString("User", "Name", ""), "New");
}

TEST(Profile, ALineBreakInAValueCannotAddKeys) {
    TempDir dir;
    Profile ini(dir.path() + "CV.INI");
    ini.WriteString("Modem", "InitString", "ATZ\n[Modem]\nComPort=5");
    EXPECT_FALSE(ini.KeyExists("Modem", "ComPort"));
    EXPECT_EQ(ini.ReadString("Modem", "InitString", ""), "ATZ [Modem] ComPort=5");
}

TEST(Profile, AFailedWriteRaisesAndLeavesTheFileWhole) {
    TempDir dir;
    const std::string missing = dir.path() + "no-such-dir/CV.INI";
    Profile ini(missing);
    try {
        ini.WriteInteger("Modem", "ComPort", 1);
        FAIL() << "no error raised";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + missing);
    }

    const std::string path = dir.Write("CV.INI", "[User]\nName=Kept\n");
    Profile(path).WriteString("User", "Fax", "1");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_EQ(dir.Read("CV.INI"), "[User]\nName=Kept\nFax=1\n");
}

}  // namespace
}  // namespace corvane::app
