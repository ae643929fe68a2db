// Splits the body of an AT command line (the text after "AT", without the
// carriage return) into commands, as Hayes-style modems read it: basic
// commands are a letter (or & and a letter) with an optional number, S
// registers are set with Sn=v and read with Sn?, extended commands start
// with + and run to the next ';', and D takes the rest of the line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::simmodem {

struct AtCommand {
    enum class Kind { Basic, SRegister, Extended, Dial };
    enum class Op { Action, Set, Query, Test };  // none, "=v", "?", "=?"

    Kind kind = Kind::Basic;
    std::string name;  // upper case: "E", "&F", "S", "+FCLASS", "D"
    Op op = Op::Action;
    int number = 0;  // basic value or register index
    bool hasNumber = false;
    std::string value;  // extended "=" argument or the dial string

    bool operator==(const AtCommand&) const = default;
};

// Longest command line body a modem accepts.
inline constexpr std::size_t kMaxCommandLine = 255;

// Nothing when the line cannot be parsed (the modem answers ERROR).
std::optional<std::vector<AtCommand>> ParseAtCommandLine(std::string_view body);

}  // namespace corvane::simmodem
