// corvane-fax classes against a modem on a pseudo-terminal.
#include <sys/file.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include "pty_modem.h"

namespace corvane::platform {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program while the pty modem answers it from this event loop.
Outcome RunClasses(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(CORVANE_BIN_DIR "/corvane-fax"), QStringList{"classes"} + args);
    QElapsedTimer waited;
    waited.start();
    // A bound on the wait so a hanging program ends the test.
    while (process.state() != QProcess::NotRunning && waited.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        process.waitForFinished(5);
    }
    Outcome outcome;
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = process.readAllStandardOutput().toStdString();
    outcome.err = process.readAllStandardError().toStdString();
    return outcome;
}

TEST(ClassesCommandTest, PrintsTheOfferedClassesAndRates) {
    struct Case {
        const char* classList;
        bool reset;
        std::string out;
    };
    const Case cases[] = {
        {"0,1,2.0", true,
         "class1 yes\nclass2 no\nclass2.0 yes\nclass1 rates 2400 4800 7200 9600 12000 14400\n"},
        {"+FCLASS: 0,2,2.0", false, "class1 no\nclass2 yes\nclass2.0 yes\n"},
    };
    for (const Case& c : cases) {
        PtyModem modem;
        modem.Answer("ATE0Q0V1X4S0=0S2=43", "\r\nOK\r\n");
        modem.Answer("AT+FCLASS=?", std::string("\r\n") + c.classList + "\r\n\r\nOK\r\n");
        modem.Answer("AT+FCLASS=1", "\r\nOK\r\n");
        modem.Answer("AT+FTM=?", "\r\n24,48,72,96,121,145\r\n\r\nOK\r\n");
        QStringList args{"--device", QString::fromStdString(modem.SlavePath())};
        if (c.reset) {
            args << "--reset";
        }
        const Outcome outcome = RunClasses(args);
        EXPECT_EQ(outcome.exitCode, 0) << c.classList << outcome.err;
        EXPECT_EQ(outcome.out, c.out) << c.classList;
        EXPECT_EQ(modem.commands.front(), c.reset ? "ATE0Q0V1X4S0=0S2=43" : "AT+FCLASS=?");
    }
}

TEST(ClassesCommandTest, APortThatDoesNotOpenIsExplained) {
    PtyModem modem;
    const int holder = ::open(modem.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    struct Case {
        std::string device;
        std::string err;
    };
    const Case cases[] = {
        {"/dev/corvane-no-such-port",
         "Unable to open the specified communications port ( /dev/corvane-no-such-port )\n"},
        {modem.SlavePath(), "The communications port is in use ( " + modem.SlavePath() +
                                " )\n\nPlease make sure that all communication programs "
                                "(internet, AOL, etc) are closed, and then try again.\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunClasses({"--device", QString::fromStdString(c.device)});
        EXPECT_EQ(outcome.exitCode, 1) << c.device;
        EXPECT_EQ(outcome.err, c.err);
        EXPECT_EQ(outcome.out, "");
    }
    ::close(holder);
}

TEST(ClassesCommandTest, RefusedClassQueryIsAFailure) {
    PtyModem modem;  // answers every command with ERROR
    const Outcome outcome = RunClasses({"--device", QString::fromStdString(modem.SlavePath())});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("did not answer"), std::string::npos) << outcome.err;
}

}  // namespace
}  // namespace corvane::platform
