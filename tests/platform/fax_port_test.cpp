// The ports behind ComN: opening with the user's messages, and the
// built-in simulated modem driven from the Qt event loop.
#include "platform/fax_port.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "faxengine/cv_receive_fax.h"
#include "faxengine/fax_components.h"
#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"
#include "platform/open_port_reporting.h"
#include "platform/sound_player.h"
#include "platform/wall_clock_driver.h"
#include "pty_modem.h"
#include "simmodem/apf_pages.h"
#include "simmodem/demo_fax.h"
#include "simmodem/demo_line.h"
#include "simmodem/reserved_numbers.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;

engine::PortSettings OnCom(int number) {
    engine::PortSettings settings;
    settings.comNumber = number;
    return settings;
}

std::string FreshDir(const std::string& name) {
    const std::string dir = ::testing::TempDir() + "corvane_faxport_" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(OpenPortReportingTest, MessagesForEachKindOfFailure) {
    const std::string inUse =
        " )\r\rPlease make sure that all communication programs (internet, AOL, etc) are closed, "
        "and then try again.";
    ASSERT_FALSE(ErrorText(-8074).empty());
    struct Case {
        int code;
        int com;
        std::string message;
    };
    const Case cases[] = {
        {-2005, 1, "The communications port is in use ( Com 1" + inUse},
        {-2008, 3, "The communications port is in use ( Com 3" + inUse},
        {-2001, 2, "Unable to open the specified communications port ( Com2 )"},
        {-8074, 4,
         "Unable to open the specified communications port ( Com4 )\rError message: " +
             ErrorText(-8074)},
        {-2999, 6,
         "Unable to open the specified communications port ( Com6 )\rError message: Unknown error"},
    };
    for (const Case& c : cases) EXPECT_EQ(OpenFailureMessage(c.code, c.com), c.message) << c.code;
}

TEST(OpenPortReportingTest, OpensOrSaysWhyNot) {
    App();
    std::string message = "left over";
    auto missing = MakeFaxPort("/dev/corvane-no-such-port", OnCom(2));
    EXPECT_FALSE(OpenPortReporting(*missing, message));
    EXPECT_EQ(message, "Unable to open the specified communications port ( Com2 )");

    auto first = MakeFaxPort(kSimulatedDevice, OnCom(1));
    EXPECT_TRUE(OpenPortReporting(*first, message));
    EXPECT_EQ(message, "");
    EXPECT_TRUE(first->Port().IsOpen());

    // The same simulated ComN twice in one program, as with a device.
    auto second = MakeFaxPort(kSimulatedDevice, OnCom(1));
    EXPECT_FALSE(OpenPortReporting(*second, message));
    EXPECT_EQ(message.rfind("The communications port is in use ( Com 1 )", 0), 0u) << message;
    auto other = MakeFaxPort(kSimulatedDevice, OnCom(2));
    EXPECT_TRUE(OpenPortReporting(*other, message));

    first->Port().Close();
    EXPECT_TRUE(OpenPortReporting(*second, message)) << "closing gives the ComN back";
}

// A send session on a port, run until its finish.
int SendThrough(SimulatedFaxPort& port, const std::string& number, const std::string& file) {
    engine::CvSendFax fax(port.Clock(), port.Platform());
    fax.SetComPort(&port.Port());
    fax.faxClass = engine::FaxClass::fcDetect;
    fax.faxFile = file;
    fax.phoneNumber = number;
    fax.dialAttempts = 1;
    std::optional<int> finish;
    fax.onFaxFinish = [&](engine::CvCustomAbstractFax&, int code) { finish = code; };
    fax.StartTransmit();
    port.Driver().FastForward([&] { return finish.has_value(); },
                              port.Scheduler().Now() + engine::Seconds(600));
    return finish.value_or(1);
}

TEST(SimulatedFaxPortTest, EveryNumberTakesTheFaxButTheReservedOnes) {
    App();
    const std::string file = FreshDir("send") + "/DEMO.APF";
    ASSERT_EQ(simmodem::WriteApfPages(file, simmodem::DemoFaxPages(), "x"), 0);
    ASSERT_EQ(simmodem::ReservedNumbers().size(), 3u);
    struct Case {
        std::string number;
        int finish;
    };
    const Case cases[] = {
        {"555 0100", 0},     {"1-800-555-0100", 0}, {"555-0001", -8074},  // busy
        {"5550002", -8074},   // nobody answers: taken as busy
        {"555 0003", -8075},  // a voice
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        SimulatedFaxPort port(OnCom(5), {});
        ASSERT_EQ(port.Open(), 0);
        EXPECT_EQ(SendThrough(port, c.number, file), c.finish);
        const auto& answerers = port.Line().Answerers();
        ASSERT_EQ(answerers.size(), c.finish == 0 ? 1u : 0u);
        if (c.finish == 0) {
            EXPECT_EQ(answerers.back()->Pages().size(), simmodem::DemoFaxPages().size());
        }
        port.Port().Close();
    }
}

TEST(SimulatedFaxPortTest, TwoSendsInARowReachTwoMachines) {
    App();
    const std::string file = FreshDir("twice") + "/DEMO.APF";
    ASSERT_EQ(simmodem::WriteApfPages(file, simmodem::DemoFaxPages(), "x"), 0);
    SimulatedFaxPort port(OnCom(5), {});
    ASSERT_EQ(port.Open(), 0);
    EXPECT_EQ(SendThrough(port, "5550100", file), 0);
    EXPECT_EQ(SendThrough(port, "5550100", file), 0);
    EXPECT_EQ(port.Line().Answerers().size(), 2u);
}

TEST(SimulatedFaxPortTest, DemoCallerSendsItsFaxAfterTheSetDelay) {
    App();
    const std::string dir = FreshDir("demo");
    FaxPortOptions options;
    options.simCallEverySeconds = 20;
    SimulatedFaxPort port(OnCom(6), options);
    ASSERT_EQ(port.Open(), 0);
    const engine::Micros opened = port.Scheduler().Now();
    engine::CvReceiveFax fax(port.Clock(), port.Platform());
    fax.SetComPort(&port.Port());
    fax.faxClass = engine::FaxClass::fcDetect;
    fax.destinationDir = dir;
    std::string file, from;
    engine::Micros receivedAt = 0;
    fax.onFaxLog = [&](engine::CvCustomAbstractFax& f, engine::FaxLogCode code) {
        if (code == engine::FaxLogCode::lcReceiveOK) {
            file = f.faxFile;
            from = f.RemoteID();
            receivedAt = port.Scheduler().Now();
        }
    };
    fax.StartReceive();
    ASSERT_TRUE(
        port.Driver().FastForward([&] { return !file.empty(); }, opened + engine::Seconds(300)));
    EXPECT_GE(receivedAt - opened, engine::Seconds(20));
    EXPECT_EQ(from.substr(0, from.find_last_not_of(' ') + 1), simmodem::kDemoCallerId);
    faximage::ApfFileHeader header;
    ASSERT_EQ(faximage::ReadApfHeader(file, header), 0) << file;
    EXPECT_EQ(header.pageCount, 2);

    // The next caller comes the same delay after this call ended.
    file.clear();
    ASSERT_TRUE(port.Driver().FastForward([&] { return !file.empty(); },
                                          port.Scheduler().Now() + engine::Seconds(300)));
    EXPECT_EQ(port.Line().Callers().size(), 2u);
    fax.CancelFax();
    port.Port().Close();
}

TEST(SimulatedFaxPortTest, WallClockKeepsTheLineGoingWithoutHelp) {
    App();
    SimulatedFaxPort port(OnCom(4), {});
    ASSERT_EQ(port.Open(), 0);
    bool ran = false;
    port.Scheduler().After(engine::Milliseconds(30), [&] { ran = true; });
    // Only the event loop turns: the driver's timer must run the line.
    QElapsedTimer waited;
    waited.start();
    while (!ran && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(ran);
}

TEST(SimulatedFaxPortTest, HelpAndReadmeListEveryReservedNumber) {
    for (const char* doc : {"/README.md", "/src/app/resources/help/1090.html"}) {
        std::ifstream in(std::string(CORVANE_SOURCE_DIR) + doc);
        std::stringstream text;
        text << in.rdbuf();
        ASSERT_FALSE(text.str().empty()) << doc;
        for (const simmodem::ReservedNumber& reserved : simmodem::ReservedNumbers()) {
            // Written as "555 0001".
            const std::string number(reserved.number);
            const std::string shown = number.substr(0, 3) + " " + number.substr(3);
            EXPECT_NE(text.str().find(shown), std::string::npos) << doc << ": " << shown;
        }
    }
}

TEST(SoundPlayerTest, NothingToPlayIsQuiet) {
    const std::string dir = FreshDir("sound");
    std::ofstream(dir + "/noise.wav") << "not a sound";
    EXPECT_FALSE(PlaySoundFile(""));
    EXPECT_FALSE(PlaySoundFile(dir + "/missing.wav"));
    EXPECT_FALSE(PlaySoundFile(dir));
    // No sound system here, or a file it cannot play: either way no error.
    PlaySoundFile(dir + "/noise.wav");
}

}  // namespace
}  // namespace corvane::platform
