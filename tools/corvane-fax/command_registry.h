// Sub-command registry of corvane-fax. Each *_commands.cpp file defines its
// commands and registers them with a static CommandRegistration, so the
// dispatcher needs no list of its own.
#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

using Arguments = std::vector<std::string>;

struct Command {
    std::string name;                   // first word ("info", "db")
    std::string usage;                  // one line shown by "help"
    int (*run)(const Arguments& args);  // args exclude the command name
};

std::vector<Command>& CommandTable();

struct CommandRegistration {
    explicit CommandRegistration(Command command) { CommandTable().push_back(std::move(command)); }
};

}  // namespace corvane::cli
