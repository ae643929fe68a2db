#include "simmodem/at_parser.h"

#include <cctype>

namespace corvane::simmodem {

namespace {

constexpr int kMaxNumber = 255;

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool AtEnd() {
        SkipBlanks();
        return pos_ >= text_.size();
    }
    char Peek() {
        SkipBlanks();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    char Take() {
        const char c = Peek();
        ++pos_;
        return c;
    }
    bool TakeIf(char c) {
        if (Peek() != c)
            return false;
        ++pos_;
        return true;
    }
    // Up to three digits; false when a number is present but too large.
    bool Number(int& value, bool& present) {
        present = false;
        value = 0;
        while (IsDigit(Peek())) {
            value = value * 10 + (Take() - '0');
            present = true;
            if (value > kMaxNumber)
                return false;
        }
        return true;
    }
    std::string_view Rest() {
        const std::string_view rest = text_.substr(std::min(pos_, text_.size()));
        pos_ = text_.size();
        return rest;
    }
    // The raw text up to ';' or the end; the ';' is consumed.
    std::string UpToSemicolon() {
        std::string out;
        bool quoted = false;
        while (pos_ < text_.size() && (quoted || text_[pos_] != ';')) {
            quoted = quoted != (text_[pos_] == '"');
            out += text_[pos_++];
        }
        if (pos_ < text_.size())
            ++pos_;
        return out;
    }

  private:
    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool ParseExtended(Reader& reader, AtCommand& command) {
    command.kind = AtCommand::Kind::Extended;
    command.name = "+";
    std::string body = reader.UpToSemicolon();
    std::size_t i = 0;
    while (i < body.size() && (IsLetter(body[i]) || IsDigit(body[i]) || body[i] == '.')) {
        command.name += Upper(body[i++]);
    }
    if (command.name.size() < 2)
        return false;
    const std::string rest = body.substr(i);
    if (rest.empty()) {
        command.op = AtCommand::Op::Action;
    } else if (rest == "?") {
        command.op = AtCommand::Op::Query;
    } else if (rest == "=?") {
        command.op = AtCommand::Op::Test;
    } else if (rest[0] == '=') {
        command.op = AtCommand::Op::Set;
        bool quoted = false;
        for (char c : rest.substr(1)) {
            // Strings keep their case and blanks.
            if (c == '"') {
                quoted = !quoted;
                command.value += c;
            } else if (quoted) {
                command.value += c;
            } else if (c != ' ') {
                command.value += Upper(c);
            }
        }
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::vector<AtCommand>> ParseAtCommandLine(std::string_view body) {
    if (body.size() > kMaxCommandLine)
        return std::nullopt;
    std::vector<AtCommand> commands;
    Reader reader(body);
    while (!reader.AtEnd()) {
        AtCommand command;
        char c = Upper(reader.Take());
        if (c == ';')
            continue;
        if (c == '+') {
            if (!ParseExtended(reader, command))
                return std::nullopt;
        } else if (c == 'D') {
            command.kind = AtCommand::Kind::Dial;
            command.name = "D";
            command.value = std::string(reader.Rest());
        } else if (c == 'S') {
            command.kind = AtCommand::Kind::SRegister;
            command.name = "S";
            if (!reader.Number(command.number, command.hasNumber) || !command.hasNumber) {
                return std::nullopt;
            }
            if (reader.TakeIf('?')) {
                command.op = AtCommand::Op::Query;
            } else if (reader.TakeIf('=')) {
                command.op = AtCommand::Op::Set;
                bool present = false;
                int value = 0;
                if (!reader.Number(value, present))
                    return std::nullopt;
                command.value = std::to_string(value);  // "S0=" sets 0
            } else {
                return std::nullopt;
            }
        } else if (c == '&' || IsLetter(c)) {
            command.name = std::string(1, c);
            if (c == '&') {
                const char letter = Upper(reader.Take());
                if (!IsLetter(letter))
                    return std::nullopt;
                command.name += letter;
            }
            if (!reader.Number(command.number, command.hasNumber))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
        commands.push_back(std::move(command));
    }
    return commands;
}

}  // namespace corvane::simmodem
