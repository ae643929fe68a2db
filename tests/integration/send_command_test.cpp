// corvane-fax send through its in-process simulated modem: the status
// lines, the outcome line and exit code, and the pages the remote stored.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "send_rig.h"
#include "simmodem/apf_pages.h"

namespace corvane::integration {
namespace {

struct CliRun {
    int exitCode = -1;
    std::string output;
};

CliRun RunSend(const std::string& arguments) {
    const std::string command =
        std::string(CORVANE_BIN_DIR) + "/corvane-fax send " + arguments + " 2>&1";
    CliRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
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

// corvane-modem with one class 2.0 modem on a pseudo-terminal, for the
// device path; its line runs ten times faster than real time.
class ModemOnPty {
  public:
    ModemOnPty(const std::string& link, const std::string& storeDir) {
        const std::string program = std::string(CORVANE_BIN_DIR) + "/corvane-modem";
        const std::string machine = "555:" + storeDir;
        std::vector<std::string> args = {
            program, "--pty", link, "--class", "2.0", "--answer-machine", machine, "--speed", "10"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
            pid_ = 0;
        for (int i = 0; i < 100 && !std::filesystem::exists(link); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~ModemOnPty() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

  private:
    pid_t pid_ = 0;
};

TEST(SendCommand, SendsThroughAModemOnAPseudoTerminal) {
    const std::string fax = TempPath("pty.apf");
    WriteFax(fax, {PageRaster(1, 40)}, true);
    const std::string store = TempPath("pty_store");
    const std::string link = TempPath("pty_link");
    std::filesystem::remove_all(store);
    std::filesystem::create_directories(store);
    std::filesystem::remove(link);
    const ModemOnPty modem(link, store);
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
