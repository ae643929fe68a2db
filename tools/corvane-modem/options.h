// Command line of corvane-modem.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane::modemtool {

struct PtyModem {
    std::string link;
    std::string number;
};

struct AnswerMachine {
    std::string number;
    std::string directory;
};

struct CallIn {
    std::string link;
    std::string file;
};

struct Options {
    std::vector<PtyModem> modems;
    std::vector<std::string> classes{"1", "2", "2.0"};
    std::vector<int> rates;  // empty: every class 1 rate
    std::vector<AnswerMachine> answerMachines;
    std::vector<CallIn> callIns;
    double speed = 1.0;  // virtual seconds per real second
    bool help = false;
};

// Nothing on a bad command line; error then says why.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);
extern const char* const kUsage;

}  // namespace corvane::modemtool
