// Running the built programs from a test: corvane-fax with its output and
// exit code, and corvane-modem on a pseudo-terminal for as long as the
// test needs it.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace corvane::integration {

struct CliRun {
    int exitCode = -1;
    std::string output;
};

// "corvane-fax COMMAND ARGUMENTS" through the shell, stderr with stdout.
inline CliRun RunFaxCommand(const std::string& command, const std::string& arguments) {
    const std::string line =
        std::string(CORVANE_BIN_DIR) + "/corvane-fax " + command + " " + arguments + " 2>&1";
    CliRun run;
    std::FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// corvane-modem with the given options; link is the pty it makes, waited for.
class ModemOnPty {
  public:
    ModemOnPty(const std::string& link, std::vector<std::string> options) {
        const std::string program = std::string(CORVANE_BIN_DIR) + "/corvane-modem";
        std::vector<std::string> args = {program, "--pty", link};
        args.insert(args.end(), options.begin(), options.end());
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
    ModemOnPty(const ModemOnPty&) = delete;
    ModemOnPty& operator=(const ModemOnPty&) = delete;

  private:
    pid_t pid_ = 0;
};

}  // namespace corvane::integration
