#include "app/fax_settings.h"

#include <gtest/gtest.h>

#include "app/profile.h"
#include "app/transfer_rates.h"
#include "temp_dir.h"

namespace corvane::app {
namespace {

using corvane::testing::TempDir;

TEST(FaxSettings, MissingFileGivesEveryDefault) {
    TempDir dir;
    const FaxSettings s = LoadSettings(dir.path() + "CV.INI");
    EXPECT_EQ(s.Name, "");
    EXPECT_EQ(s.Fax, "");
    EXPECT_EQ(s.DialAttempts, 3);
    EXPECT_EQ(s.RetryWait, 60);
    EXPECT_EQ(s.ComPort, -1);
    EXPECT_EQ(s.FaxClass, 0);
    EXPECT_EQ(s.MaximumBPS, 9600);
    EXPECT_EQ(s.ToneOrPulse, 0);
    EXPECT_EQ(s.Timeout, 60);
    EXPECT_FALSE(s.BlindDial);
    EXPECT_FALSE(s.IgnoreBusy);
    EXPECT_EQ(s.AnswerOnRing, 1);
}

TEST(FaxSettings, SaveWritesEveryKeyInItsSectionAndOrder) {
    TempDir dir;
    FaxSettings s;
    s.Name = "Ann Example";
    s.Company = "Example Co";
    s.Fax = "+1 555 0100";
    s.Voice = "555 0101";
    s.DialPrefix = "9,";
    s.InitString = "X3";
    s.DialAttempts = 5;
    s.RetryWait = 30;
    s.BlindDial = true;
    s.ComPort = 2;
    s.FaxClass = 3;
    s.MaximumBPS = 14400;
    s.ToneOrPulse = 1;
    s.Timeout = 90;
    s.Wav = "/usr/share/sounds/fax.wav";
    s.AnswerOnRing = 2;
    SaveSettings(dir.path() + "CV.INI", s);
    EXPECT_EQ(dir.Read("CV.INI"),
              "[User]\nFax=+1 555 0100\nName=Ann Example\nVoice=555 0101\nCompany=Example Co\n"
              "\n[Dialing]\nDialPrefix=9,\nDialAttempts=5\nRetryWait=30\nBlindDial=1\n"
              "IgnoreBusy=0\nToneOrPulse=1\nTimeout=90\n"
              "\n[Modem]\nInitString=X3\nComPort=2\nFaxClass=3\nMaximumBPS=14400\n"
              "\n[Receive]\nWav=/usr/share/sounds/fax.wav\nAnswerOnRing=2\n");

    const FaxSettings back = LoadSettings(dir.path() + "CV.INI");
    EXPECT_EQ(back.Name, s.Name);
    EXPECT_EQ(back.Company, s.Company);
    EXPECT_EQ(back.DialPrefix, s.DialPrefix);
    EXPECT_EQ(back.ComPort, 2);
    EXPECT_EQ(back.FaxClass, 3);
    EXPECT_TRUE(back.BlindDial);
    EXPECT_EQ(back.Wav, s.Wav);
    EXPECT_EQ(back.AnswerOnRing, 2);
}

TEST(FaxSettings, RemovingComPortMakesThePortUnsetAgain) {
    TempDir dir;
    const std::string path = dir.path() + "CV.INI";
    FaxSettings s;
    s.ComPort = 0;
    SaveSettings(path, s);
    EXPECT_EQ(LoadSettings(path).ComPort, 0);
    Profile(path).DeleteKey("Modem", "ComPort");
    EXPECT_EQ(LoadSettings(path).ComPort, -1);
}

TEST(FaxSettings, RateOutsideTheListShowsAndSavesAs9600) {
    TempDir dir;
    const std::string path = dir.Write("CV.INI", "[Modem]\nMaximumBPS=13000\n");
    FaxSettings s = LoadSettings(path);
    // What every dialog does with the stored rate before it shows and saves it.
    s.MaximumBPS = BpsFromIndex(IndexFromBps(s.MaximumBPS));
    SaveSettings(path, s);
    EXPECT_EQ(LoadSettings(path).MaximumBPS, 9600);
}

TEST(TransferRates, IndexAndRateMapping) {
    const int rateOf[] = {2400, 4800, 7200, 9600, 12000, 14400};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(BpsFromIndex(i), rateOf[i]);
        EXPECT_EQ(IndexFromBps(rateOf[i]), i);
    }
    for (int index : {-1, 6, 100}) EXPECT_EQ(BpsFromIndex(index), 9600);
    for (int bps : {0, 300, 9601, 13000, 28800}) EXPECT_EQ(IndexFromBps(bps), 3);
}

TEST(PortDevices, DefaultsAndStoredDevices) {
    TempDir dir;
    const std::string path = dir.Write("CV.INI", "[Ports]\ncom2=/dev/ttyACM0\nCom3=sim\n");
    const PortDevices devices = LoadPortDevices(path);
    EXPECT_EQ(devices[0], "/dev/ttyS0");
    EXPECT_EQ(devices[1], "/dev/ttyACM0");
    EXPECT_EQ(devices[2], "sim");
    EXPECT_EQ(devices[5], "/dev/ttyS5");

    PortDevices changed = devices;
    changed[5] = "/dev/ttyUSB1";
    SavePortDevices(path, changed);
    EXPECT_EQ(LoadPortDevices(path), changed);
}

}  // namespace
}  // namespace corvane::app
