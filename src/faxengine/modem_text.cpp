#include "faxengine/modem_text.h"

#include <algorithm>
#include <cctype>

namespace corvane::engine {

namespace {
constexpr std::size_t kMaxReply = 128;

bool IsControlOrBlank(char c) {
    return static_cast<unsigned char>(c) < 33;
}
bool IsDigitOrLetter(char c) {
    const int upper = std::toupper(static_cast<unsigned char>(c));
    return (upper >= '0' && upper <= '9') || (upper >= 'A' && upper <= 'Z');
}
}  // namespace

std::string TrimControls(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsControlOrBlank(text[first])) {
        ++first;
    }
    while (last > first && IsControlOrBlank(text[last - 1])) {
        --last;
    }
    return std::string(text.substr(first, last - first));
}

std::string StripTag(std::string_view line) {
    std::string text = TrimControls(line);
    text.resize(std::min(text.size(), kMaxReply));
    std::size_t tagEnd = text.find(':');
    if (tagEnd == std::string::npos) {
        tagEnd = text.find('=');
    }
    if (tagEnd != std::string::npos) {
        text.erase(0, tagEnd + 1);
    }
    return TrimControls(text);
}

std::string CleanID(std::string_view id) {
    std::string text = TrimControls(id);
    if (!text.empty() && text.front() == '"') {
        text.front() = ' ';
    }
    while (!text.empty() && !IsDigitOrLetter(text.back())) {
        text.pop_back();
    }
    return TrimControls(text);
}

int ParseHangupCode(std::string_view response) {
    const std::size_t colon = response.find(':');
    if (colon == std::string_view::npos) {
        return 0;
    }
    const std::string digits = TrimControls(response.substr(colon + 1, 3));
    int code = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;  // not a number
        }
        code = code * 10 + (c - '0');
    }
    return code;
}

bool PatternMatcher::Advance(std::uint8_t byte) {
    if (pattern_.empty()) {
        return false;
    }
    if (static_cast<char>(byte) == pattern_[matched_]) {
        ++matched_;
    } else {
        matched_ = static_cast<char>(byte) == pattern_[0] ? 1 : 0;
    }
    if (matched_ == pattern_.size()) {
        matched_ = 0;
        return true;
    }
    return false;
}

}  // namespace corvane::engine
