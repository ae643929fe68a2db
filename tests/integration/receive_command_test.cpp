// corvane-fax receive: a simulated calling machine's fax lands in a
// numbered file with its line printed, through the in-process modem and
// through corvane-modem on a pseudo-terminal; failures and bad arguments.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_run.h"
#include "receive_rig.h"

namespace corvane::integration {
namespace {

CliRun RunReceive(const std::string& arguments) {
    return RunFaxCommand("receive", arguments);
}

std::string TwoPageFax(const std::string& name) {
    const std::string path = TempPath(name);
    WriteFax(path, {PageRaster(1, 50), PageRaster(2, 50)}, true);
    return path;
}

TEST(ReceiveCommand, StoresTheSimulatedCallersFaxInEachClass) {
    const std::string fax = TwoPageFax("rx_cli.apf");
    std::vector<FaxPage> sent;
    ASSERT_EQ(ReadApfPages(fax, sent), 0);
    for (const char* cls : {"1", "2", "2.0", "auto"}) {
        SCOPED_TRACE(cls);
        const std::string dir = FreshDir(std::string("cli_") + cls);
        const CliRun run = RunReceive("--device sim --sim-call " + fax + " --class " + cls +
                                      " --dir " + dir + " --once --station 5550123");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("Waiting for incoming call; page 0; 0 bytes\n"),
                  std::string::npos)
            << run.output;
        EXPECT_NE(run.output.find("Received " + dir + "/FAX0001.APF pages=2 from=\"5550100\"\n"),
                  std::string::npos)
            << run.output;
        ExpectSamePages(dir + "/FAX0001.APF", sent);
    }
}

TEST(ReceiveCommand, BadArgumentsAndUnreadableFilesExitNonZero) {
    const struct {
        const char* arguments;
        int exitCode;
    } cases[] = {
        {"", 2},
        {"--device sim", 2},                          // the simulator needs a caller
        {"--device /dev/ttyS0 --sim-call x.apf", 2},  // a caller only on the simulator
        {"--device sim --sim-call x.apf --class 3", 2},
        {"--device sim --sim-call x.apf --ring 0", 2},
        {"--device sim --sim-call x.apf --bps 1200", 2},
        {"--device sim --sim-call /nonexistent/fax.apf", 1},
        {"--device /dev/nonexistent-corvane --once", 1},
    };
    for (const auto& c : cases) {
        const CliRun run = RunReceive(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
    }
}

TEST(ReceiveCommand, ReceivesThroughAModemOnAPseudoTerminal) {
    const std::string fax = TwoPageFax("rx_pty.apf");
    std::vector<FaxPage> sent;
    ASSERT_EQ(ReadApfPages(fax, sent), 0);
    const std::string dir = FreshDir("pty");
    const std::string link = TempPath("rx_pty_link");
    std::filesystem::remove(link);
    // Class 2.0 leaves the line timing to the modem, so its line may run faster than real time.
    const ModemOnPty modem(link,
                           {"--class", "2.0", "--call-in", link + ":" + fax, "--speed", "10"});
    ASSERT_TRUE(std::filesystem::exists(link));
    const CliRun run = RunReceive("--device " + link + " --class 2.0 --dir " + dir + " --once");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Received " + dir + "/FAX0001.APF pages=2 from=\"5550199\"\n"),
              std::string::npos)
        << run.output;
    ExpectSamePages(dir + "/FAX0001.APF", sent);
}

}  // namespace
}  // namespace corvane::integration
