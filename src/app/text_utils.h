// Small text operations shared by the application core.
#pragma once

#include <string>
#include <string_view>

namespace corvane::app {

// Blanks here are the space character only; a text of blanks becomes empty.
std::string TrimLeadingSpaces(std::string_view text);
std::string TrimTrailingSpaces(std::string_view text);
std::string TrimSpaces(std::string_view text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view text);  // ASCII letters only

// The longest prefix of at most maxBytes bytes that ends on a UTF-8
// character boundary.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace corvane::app
