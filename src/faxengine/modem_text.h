// Text operations on modem replies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::engine {

// DLE shields the modem's data streams: DLE DLE stands for a data DLE,
// DLE ETX ends a frame or page.
inline constexpr std::uint8_t kDLE = 0x10;
inline constexpr std::uint8_t kETX = 0x03;

// Removes leading and trailing characters with codes below 33.
std::string TrimControls(std::string_view text);
// A report line's value: "+FCSI: 123" gives "123"; without ":" the text
// after the first "=" is taken.
std::string StripTag(std::string_view line);
// A station identifier as a modem reports it, without quotes and trailing
// punctuation.
std::string CleanID(std::string_view id);
// The number in the (at most) three characters after the first ":"; 0 when
// there is no ":" or no number.
int ParseHangupCode(std::string_view response);

// Follows a short byte pattern through a stream: Advance reports each
// place where the whole pattern has just arrived.
class PatternMatcher {
  public:
    explicit constexpr PatternMatcher(std::string_view pattern) : pattern_(pattern) {}
    bool Advance(std::uint8_t byte);
    void Reset() { matched_ = 0; }
    std::size_t Matched() const { return matched_; }

  private:
    std::string_view pattern_;
    std::size_t matched_ = 0;
};

}  // namespace corvane::engine
