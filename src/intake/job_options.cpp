#include "job_options.h"

#include <cctype>

namespace corvane::intake {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Reads a value from at, up to unquoted white space.
std::string ReadValue(std::string_view text, std::size_t& at) {
    std::string value;
    char quote = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (quote == 0 && IsSpace(c))
            break;
        ++at;
        if (c == '\\' && at < text.size()) {
            value += text[at++];
        } else if (quote != 0 && c == quote) {
            quote = 0;
        } else if (quote == 0 && (c == '\'' || c == '"')) {
            quote = c;
        } else {
            value += c;
        }
    }
    return value;
}

}  // namespace

std::map<std::string, std::string> ParseJobOptions(std::string_view text) {
    std::map<std::string, std::string> options;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && IsSpace(text[at])) ++at;
        std::string name;
        while (at < text.size() && !IsSpace(text[at]) && text[at] != '=')
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(text[at++])));
        std::string value = "true";
        if (at < text.size() && text[at] == '=') {
            ++at;
            value = ReadValue(text, at);
        }
        if (!name.empty())
            options[name] = value;
    }
    return options;
}

JobDetails JobDetailsFromOptions(std::string_view text, const std::string& title) {
    const auto options = ParseJobOptions(text);
    const auto value = [&options](const char* name, const std::string& otherwise) {
        const auto found = options.find(name);
        return found == options.end() ? otherwise : found->second;
    };
    return {value("phone", ""), value("name", ""), value("subject", title)};
}

}  // namespace corvane::intake
