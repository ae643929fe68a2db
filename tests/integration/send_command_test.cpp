// corvane-fax send through its in-process simulated modem: the status
// lines, the outcome line and exit code, and the pages the remote stored.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_run.h"
#include "send_rig.h"
#include "simmodem/apf_pages.h"

namespace corvane::integration {
namespace {

CliRun RunSend(const std::string& arguments) {
    return RunFaxCommand("send", arguments);
}

TEST(SendCommand, SendsToTheSimulatedRemoteInEachClass) {
    const std::string fax = TempPath("cli.apf");
    WriteFax(fax, {PageRaster(1, 50), PageRaster(2, 50)}, true);
    for (const char* cls : {"1", "2", "2.0", "auto"}) {
        SCOPED_TRACE(cls);
        const std::string dir = TempPath(std::string("cli_out_") + cls);
        std::filesystem::remove_all(dir);
        const CliRun run = RunSend("--device sim --sim-dir " + dir + " --number 5551234 --class " +
                                   cls + " --header 'Page $P of $N' --station 5550199 " + fax);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("Dialing; page 1; 0 bytes\n"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("Sending page data; page 2;"), std::string::npos) << run.output;
        EXPECT_TRUE(run.output.ends_with("Fax sent successfully\n")) << run.output;
        std::vector<FaxPage> pages;
        ASSERT_EQ(ReadApfPages(dir + "/RECEIVED.APF", pages), 0);
        EXPECT_EQ(pages.size(), 2u);
    }
}

TEST(SendCommand, FailuresAndBadArgumentsExitNonZero) {
    const struct {
        const char* arguments;
        int exitCode;
        const char* tail;
    } cases[] = {
        {"--device sim --number 5551234 /nonexistent/fax.apf", 1,
         "Fax was not sent. File not found\n"},
        {"--device sim --number 5551234", 2, nullptr},
        {"--device sim --number 5551234 --bps 1200 x.apf", 2, nullptr},
        {"--device sim --number 5551234 --class 3 x.apf", 2, nullptr},
        {"--device /dev/nonexistent-corvane --number 1 x.apf", 1, nullptr},
    };
    for (const auto& c : cases) {
        const CliRun run = RunSend(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        if (c.tail != nullptr) {
            EXPECT_TRUE(run.output.ends_with(c.tail)) << run.output;
        }
    }
}

TEST(SendCommand, SendsThroughAModemOnAPseudoTerminal) {
    const std::string fax = TempPath("pty.apf");
    WriteFax(fax, {PageRaster(1, 40)}, true);
    const std::string store = TempPath("pty_store");
    const std::string link = TempPath("pty_link");
    std::filesystem::remove_all(store);
    std::filesystem::create_directories(store);
    std::filesystem::remove(link);
    const ModemOnPty modem(link,
                           {"--class", "2.0", "--answer-machine", "555:" + store, "--speed", "10"});
    ASSERT_TRUE(std::filesystem::exists(link));

    const CliRun run =
        RunSend("--device " + link + " --number 555 --class 2.0 --station 5550199 " + fax);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(run.output.ends_with("Fax sent successfully\n")) << run.output;
    std::vector<std::string> stored;
    for (const auto& entry : std::filesystem::directory_iterator(store))
        stored.push_back(entry.path());
    ASSERT_EQ(stored.size(), 1u);
    std::vector<FaxPage> pages;
    ASSERT_EQ(ReadApfPages(stored[0], pages), 0);
    EXPECT_EQ(pages.size(), 1u);
}

}  // namespace
}  // namespace corvane::integration
