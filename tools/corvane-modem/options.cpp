#include "options.h"

#include <charconv>

#include "simmodem/modulation.h"

namespace corvane::modemtool {

const char* const kUsage =
    "usage: corvane-modem --pty LINK [--number N] [--pty LINK [--number N]]...\n"
    "                     [--class 1,2,2.0] [--rates 24,48,72,96,121,145]\n"
    "                     [--answer-machine NUMBER:DIR]... [--call-in LINK:FILE.apf]...\n"
    "                     [--realtime | --speed FACTOR]\n"
    "Each --pty makes a simulated fax modem on a pseudo-terminal reachable at LINK;\n"
    "--number gives the preceding modem its phone number (default 101, 102, ...).\n"
    "Modems and answer machines in one process can call each other by number.\n";

namespace {

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

// "A:B" split at the first colon; both parts must be there.
bool SplitPair(const std::string& text, std::string& first, std::string& second) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size())
        return false;
    first = text.substr(0, colon);
    second = text.substr(colon + 1);
    return true;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string* {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return nullptr;
            }
            return &args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--realtime") {
            options.speed = 1.0;
        } else if (arg == "--pty") {
            const std::string* link = value();
            if (!link)
                return std::nullopt;
            options.modems.push_back({*link, std::to_string(101 + options.modems.size())});
        } else if (arg == "--number") {
            const std::string* number = value();
            if (!number)
                return std::nullopt;
            if (options.modems.empty()) {
                error = "--number must follow a --pty";
                return std::nullopt;
            }
            options.modems.back().number = *number;
        } else if (arg == "--class") {
            const std::string* list = value();
            if (!list)
                return std::nullopt;
            options.classes = SplitList(*list, ',');
            for (const std::string& name : options.classes) {
                if (name != "1" && name != "2" && name != "2.0") {
                    error = "unknown fax class " + name;
                    return std::nullopt;
                }
            }
        } else if (arg == "--rates") {
            const std::string* list = value();
            if (!list)
                return std::nullopt;
            options.rates.clear();
            for (const std::string& item : SplitList(*list, ',')) {
                int code = 0;
                const auto [end, failure] =
                    std::from_chars(item.data(), item.data() + item.size(), code);
                if (failure != std::errc() || end != item.data() + item.size() ||
                    !simmodem::HighSpeedModulation(code)) {
                    error = "unknown modulation " + item;
                    return std::nullopt;
                }
                options.rates.push_back(code);
            }
        } else if (arg == "--answer-machine") {
            const std::string* text = value();
            if (!text)
                return std::nullopt;
            AnswerMachine machine;
            if (!SplitPair(*text, machine.number, machine.directory)) {
                error = "--answer-machine takes NUMBER:DIR";
                return std::nullopt;
            }
            options.answerMachines.push_back(machine);
        } else if (arg == "--call-in") {
            const std::string* text = value();
            if (!text)
                return std::nullopt;
            CallIn call;
            if (!SplitPair(*text, call.link, call.file)) {
                error = "--call-in takes LINK:FILE.apf";
                return std::nullopt;
            }
            options.callIns.push_back(call);
        } else if (arg == "--speed") {
            const std::string* text = value();
            if (!text)
                return std::nullopt;
            double speed = 0;
            const auto [end, failure] =
                std::from_chars(text->data(), text->data() + text->size(), speed);
            if (failure != std::errc() || end != text->data() + text->size() || speed <= 0) {
                error = "--speed takes a positive factor";
                return std::nullopt;
            }
            options.speed = speed;
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (!options.help && options.modems.empty()) {
        error = "no --pty given";
        return std::nullopt;
    }
    for (const CallIn& call : options.callIns) {
        bool found = false;
        for (const PtyModem& modem : options.modems) found = found || modem.link == call.link;
        if (!found) {
            error = "--call-in names " + call.link + ", which no --pty makes";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace corvane::modemtool
