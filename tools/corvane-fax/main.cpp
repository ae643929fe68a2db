#include <algorithm>
#include <cstdio>

#include "command_registry.h"

namespace corvane::cli {

std::vector<Command>& CommandTable() {
    static std::vector<Command> table;
    return table;
}

namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: corvane-fax COMMAND [ARGS]\n\ncommands:\n");
    auto commands = CommandTable();
    std::sort(commands.begin(), commands.end(),
              [](const Command& a, const Command& b) { return a.usage < b.usage; });
    for (const Command& command : commands) std::fprintf(out, "  %s\n", command.usage.c_str());
}

}  // namespace
}  // namespace corvane::cli

int main(int argc, char** argv) {
    using namespace corvane::cli;
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") {
        PrintUsage(stdout);
        return 0;
    }
    for (const Command& command : CommandTable()) {
        if (command.name == name)
            return command.run(Arguments(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "corvane-fax: unknown command \"%s\"\n", name.c_str());
    PrintUsage(stderr);
    return 2;
}
