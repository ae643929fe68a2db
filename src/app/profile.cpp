#include "profile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "text_utils.h"

namespace corvane::app {

ProfileWriteError::ProfileWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path) {}

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The name inside "[name]" when the line is a section header.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string text = Trimmed(line);
    if (text.size() < 2 || text.front() != '[')
        return std::nullopt;
    const auto close = text.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return Trimmed(text.substr(1, close - 1));
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> ParseKeyLine(const std::string& line) {
    const std::string text = Trimmed(line);
    if (text.empty() || text.front() == ';' || text.front() == '[')
        return std::nullopt;
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    return KeyLine{Trimmed(text.substr(0, equals)), Trimmed(text.substr(equals + 1))};
}

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Line range of a section's body: [begin, end). The first section of that
// name wins, as with the classic functions.
struct SectionRange {
    std::size_t header;
    std::size_t begin;
    std::size_t end;
};

std::optional<SectionRange> FindSection(const std::vector<std::string>& lines,
                                        const std::string& section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name || !EqualsIgnoringCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end])) ++end;
        return SectionRange{i, i + 1, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<std::string>& lines, const SectionRange& range,
                                   const std::string& key) {
    for (std::size_t i = range.begin; i < range.end; ++i) {
        const auto entry = ParseKeyLine(lines[i]);
        if (entry && EqualsIgnoringCase(entry->key, key))
            return i;
    }
    return std::nullopt;
}

}  // namespace

int ParseProfileInteger(const std::string& input, int defaultValue) {
    const std::string text = Trimmed(input);
    std::size_t pos = 0;
    int base = 10;
    bool negative = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        pos = 2;
    } else if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        pos = 1;
    }
    if (pos >= text.size())
        return defaultValue;
    long long value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return defaultValue;
        }
        value = value * base + digit;
        // Hexadecimal texts cover the unsigned 32-bit range (0xFFFFFFFF is -1).
        if (value > (base == 16 ? 0xFFFFFFFFLL : static_cast<long long>(INT_MAX) + 1)) {
            return defaultValue;
        }
    }
    if (base == 16)
        return static_cast<int>(static_cast<std::uint32_t>(value));
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return defaultValue;
    return static_cast<int>(value);
}

Profile::Profile(std::string path) : path_(std::move(path)) {}

std::vector<std::string> Profile::ReadLines() const {
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

void Profile::WriteLines(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";

    const std::string temporary = path_ + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw ProfileWriteError(path_);
    std::size_t written = 0;
    bool ok = true;
    while (ok && written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            written += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), path_.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw ProfileWriteError(path_);
    }
}

std::string Profile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    const auto lines = ReadLines();
    const auto range = FindSection(lines, section);
    std::string value = defaultValue;
    if (range) {
        if (const auto index = FindKey(lines, *range, key)) {
            value = Unquoted(ParseKeyLine(lines[*index])->value);
        }
    }
    return CutUtf8(value, kReadBufferSize - 1);
}

int Profile::ReadInteger(const std::string& section, const std::string& key,
                         int defaultValue) const {
    return ParseProfileInteger(ReadString(section, key, ""), defaultValue);
}

bool Profile::ReadBool(const std::string& section, const std::string& key,
                       bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool Profile::KeyExists(const std::string& section, const std::string& key) const {
    const auto lines = ReadLines();
    const auto range = FindSection(lines, section);
    return range && FindKey(lines, *range, key).has_value();
}

void Profile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    auto lines = ReadLines();
    // A line break inside a value would start a new key or section.
    std::string oneLine = value;
    for (char& c : oneLine) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    const std::string entry = key + "=" + oneLine;
    const auto range = FindSection(lines, section);
    if (!range) {
        if (!lines.empty() && !Trimmed(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    } else if (const auto index = FindKey(lines, *range, key)) {
        lines[*index] = ParseKeyLine(lines[*index])->key + "=" + oneLine;
    } else {
        // New keys go after the section's last non-blank line.
        std::size_t at = range->end;
        while (at > range->begin && Trimmed(lines[at - 1]).empty()) --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }
    WriteLines(lines);
}

void Profile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void Profile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void Profile::DeleteKey(const std::string& section, const std::string& key) {
    auto lines = ReadLines();
    const auto range = FindSection(lines, section);
    if (!range)
        return;
    const auto index = FindKey(lines, *range, key);
    if (!index)
        return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*index));
    WriteLines(lines);
}

void Profile::EraseSection(const std::string& section) {
    auto lines = ReadLines();
    const auto range = FindSection(lines, section);
    if (!range)
        return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                lines.begin() + static_cast<std::ptrdiff_t>(range->end));
    WriteLines(lines);
}

}  // namespace corvane::app
