// The engine's negative result codes and their texts, shared by the fax
// image code, the fax engine and the programs that show them.
#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

inline constexpr int ecOK = 0;
inline constexpr int ecFileNotFound = -2;
inline constexpr int ecOutOfMemory = -8;
inline constexpr int ecGotQuitMsg = -1003;
inline constexpr int ecFaxBadFormat = -8001;
inline constexpr int ecFontFileNotFound = -8052;

// Text of a code (at most 79 characters); empty for an unknown code.
std::string ErrorText(int code);
// The negated code of a C library errno value (ENOENT -> -2 ...).
int FileErrorCode(int errnoValue);

// Raised by component operations; sessions report codes as events instead.
class FaxError : public std::runtime_error {
  public:
    explicit FaxError(int code);
    FaxError(int code, const std::string& text);
    int code() const { return code_; }

  private:
    int code_;
};

}  // namespace corvane
