#include "platform/device_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "faxengine/modem_control.h"
#include "platform/qt_platform.h"
#include "pty_modem.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DevicePortTest, OpenReportsWhyItCannot) {
    PtyModem modem;
    QtPlatform platform;
    struct Case {
        const char* name;
        std::string device;
        bool heldByOther;
        bool openedHereFirst;
        int result;
    };
    const Case cases[] = {
        {"missing device", "/dev/corvane-no-such-port", false, false, -2001},
        {"not a device", "/etc/hostname", false, false, -2001},
        {"free pty", modem.SlavePath(), false, false, 0},
        {"locked by another program", modem.SlavePath(), true, false, -2005},
        {"open here already", modem.SlavePath(), false, true, -2008},
    };
    for (const Case& c : cases) {
        int other = -1;
        if (c.heldByOther) {
            other = ::open(c.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0) << c.name;
        }
        DevicePort first(platform, platform, c.device);
        if (c.openedHereFirst) {
            ASSERT_EQ(first.Open(), 0) << c.name;
        }
        DevicePort port(platform, platform, c.device);
        EXPECT_EQ(port.Open(), c.result) << c.name;
        EXPECT_EQ(port.IsOpen(), c.result == 0) << c.name;
        if (other >= 0) {
            ::close(other);
        }
    }
}

TEST(DevicePortTest, HoldsItsLockUntilClosed) {
    PtyModem modem;
    QtPlatform platform;
    DevicePort port(platform, platform, modem.SlavePath());
    ASSERT_EQ(port.Open(), 0);
    EXPECT_EQ(port.Open(), -2008) << "the same port twice";
    const int other = ::open(modem.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0) << "another program is kept out";
    port.Close();
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0) << "closing releases the device";
    DevicePort again(platform, platform, modem.SlavePath());
    EXPECT_EQ(again.Open(), -2005) << "now the other program holds it";
    ::close(other);
}

TEST(DevicePortTest, PseudoTerminalHasNoModemLines) {
    PtyModem modem;
    QtPlatform platform;
    DevicePort port(platform, platform, modem.SlavePath());
    ASSERT_EQ(port.Open(), 0);
    EXPECT_FALSE(port.HasModemLines());
    port.SetModem(false, false);  // ignored rather than failing
    EXPECT_FALSE(port.CheckDCD());
    // CTS counts as on: output under hardware flow still leaves.
    ASSERT_TRUE(port.Settings().hwFlowRequireCTS);
    modem.Answer("AT", "\r\nOK\r\n");
    engine::ModemControl control(port, platform, platform);
    EXPECT_TRUE(control.CommandAndWait("AT"));
    EXPECT_EQ(port.ChangeBaud(38400), 0);
    EXPECT_EQ(port.Baud(), 38400u);
    EXPECT_EQ(port.ChangeBaud(12345), -1002);
}

TEST(DevicePortTest, EventsArriveThroughTheEventLoop) {
    PtyModem modem;
    modem.Answer("AT", "\r\nOK\r\n");
    QtPlatform platform;
    DevicePort port(platform, platform, modem.SlavePath());
    ASSERT_EQ(port.Open(), 0);
    port.EnableDataTrigger();
    const int timer = port.AddTimerTrigger();
    const int drained = port.AddStatusTrigger(engine::StatusTriggerKind::OutputUsed);
    std::string received;
    bool timerSeen = false;
    bool drainSeen = false;
    ASSERT_EQ(port.RegisterEventProc([&](std::uint32_t message, int handle, std::uint32_t) {
        timerSeen = timerSeen || (message == engine::kMsgTimerTrigger && handle == timer);
        drainSeen = drainSeen || (message == engine::kMsgStatusTrigger && handle == drained);
        while (port.CharReady()) {
            received += static_cast<char>(port.GetChar());
        }
    }),
              0);
    port.SetTimerTrigger(timer, 2, true);
    port.SetStatusTrigger(drained, 0, true);
    ASSERT_EQ(port.PutString("AT\r"), 0);
    // A bound on the wait so a broken port ends the test instead of hanging it.
    const std::uint32_t start = platform.MilliSeconds();
    while (!(timerSeen && drainSeen && received.find("OK\r\n") != std::string::npos) &&
           platform.MilliSeconds() - start < 5000) {
        platform.PollMessages();
    }
    EXPECT_EQ(received, "\r\nOK\r\n");
    EXPECT_TRUE(timerSeen);
    EXPECT_TRUE(drainSeen);
}

TEST(DevicePortTest, FarSideGoingAwayStopsTheReads) {
    PtyModem modem;
    QtPlatform platform;
    DevicePort port(platform, platform, modem.SlavePath());
    ASSERT_EQ(port.Open(), 0);
    modem.Hangup();
    EXPECT_FALSE(port.CharReady());
    EXPECT_TRUE(port.HungUp());
    EXPECT_EQ(port.PutString("AT\r"), 0) << "output is still taken, and dropped at close";
    platform.PollMessages();
    port.Close();
    DevicePort reopened(platform, platform, modem.SlavePath());
    EXPECT_NE(reopened.Open(), 0) << "the pty is gone";
}

TEST(DevicePortTest, ModemConversationOverAPseudoTerminal) {
    PtyModem modem;
    modem.echo = true;
    modem.Answer("ATE0Q0V1X4S0=0S2=43", "\r\nOK\r\n");
    modem.Answer("AT+FCLASS=?", "\r\n0,1,2,2.0\r\n\r\nOK\r\n");
    modem.Answer("AT+FCLASS=1", "\r\nOK\r\n");
    modem.Answer("AT+FTM=?", "\r\n24,48,72,96\r\n\r\nOK\r\n");
    QtPlatform platform;
    const fs::path trace =
        fs::temp_directory_path() / ("corvane_pty_trace_" + std::to_string(getpid()));
    fs::remove(trace);
    {
        DevicePort port(platform, platform, modem.SlavePath());
        ASSERT_EQ(port.Open(), 0);
        port.Trace().SetFileName(trace.string());
        port.Trace().SetState(engine::TraceLogState::tlOn);
        engine::ModemControl control(port, platform, platform);

        const engine::FaxClasses classes = control.DetectFaxClasses(true);
        EXPECT_TRUE(classes.detected);
        EXPECT_TRUE(classes.class1);
        EXPECT_TRUE(classes.class2);
        EXPECT_TRUE(classes.class20);
        EXPECT_TRUE(control.QueryClass1Rates(true));
        EXPECT_EQ(control.HighestLocalRate(), 4);
        EXPECT_FALSE(control.CommandAndWait("ATX9")) << "the responder refuses unknown commands";
        port.Close();
    }
    EXPECT_EQ(modem.commands, (std::vector<std::string>{"ATE0Q0V1X4S0=0S2=43", "AT+FCLASS=?",
                                                        "AT+FCLASS=1", "AT+FTM=?", "ATX9"}));
    const std::string text = ReadFile(trace);
    EXPECT_NE(text.find("AT+FCLASS=?<CR>"), std::string::npos) << text;
    EXPECT_NE(text.find("ERROR<CR><LF>"), std::string::npos) << text;
    fs::remove(trace);
}

}  // namespace
}  // namespace corvane::platform
