#include "cover_data_file.h"

#include "file_bytes.h"

namespace corvane::covers {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

std::string FileNamePart(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

CoverData ParseCoverData(std::string_view text) {
    std::vector<std::string> lines = SplitLines(text);
    CoverData data;
    if (lines.size() < 2)
        return data;
    const std::string name = FileNamePart(lines[0]);
    if (!name.empty())
        data.templateName = name;
    data.flags = lines[1];
    data.message.assign(std::make_move_iterator(lines.begin() + 2),
                        std::make_move_iterator(lines.end()));
    return data;
}

std::string FormatCoverData(const CoverData& data) {
    std::string text = data.templateName + "\r\n" + data.flags + "\r\n";
    for (const std::string& line : data.message) text += line + "\r\n";
    return text;
}

CoverData ReadCoverDataFile(const std::string& path) {
    std::string text;
    if (!ReadFileBytes(path, kMaxCoverDataBytes, text))
        return {};
    return ParseCoverData(text);
}

void WriteCoverDataFile(const std::string& path, const CoverData& data) {
    WriteFileReplacing(path, FormatCoverData(data));
}

std::string FlagsText(const CoverValues& values) {
    std::string text;
    for (const CoverFlagField& flag : kCoverFlags) text += values.*flag.member ? 'X' : ' ';
    return text;
}

void ApplyFlags(const std::string& text, CoverValues& values) {
    const bool valid = text.size() == kCoverFlags.size();
    for (std::size_t i = 0; i < kCoverFlags.size(); ++i)
        values.*kCoverFlags[i].member = valid && text[i] == 'X';
}

}  // namespace corvane::covers
