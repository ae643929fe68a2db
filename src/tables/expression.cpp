#include "expression.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cstring>
#include <vector>

#include "table_error.h"

namespace corvane::tables {

enum class NodeKind {
    Literal,
    FieldRef,
    Not,
    And,
    Or,
    Compare,
    Concat,
    Add,
    Subtract,
    Negate,
    Dtos,
    Upper,
    Lower,
    Trim,
    Deleted
};
enum class CompareOp { Equal, Exact, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains };

struct Expression::Node {
    NodeKind kind = NodeKind::Literal;
    ValueType type = ValueType::Logical;
    CompareOp op = CompareOp::Equal;
    int field = -1;
    Value literal;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Node = Expression::Node;
using NodePtr = std::unique_ptr<Node>;

constexpr int kMaxDepth = 64;

enum class TokenKind {
    End,
    Identifier,
    String,
    Number,
    Logical,
    Not,
    And,
    Or,
    Operator,
    LeftParen,
    RightParen,
    Comma
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // identifier (upper case), string contents, operator, number
    std::size_t position = 0;
};

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

const char* TypeName(ValueType type) {
    switch (type) {
        case ValueType::Character:
            return "character";
        case ValueType::Date:
            return "date";
        case ValueType::Logical:
            return "logical";
        case ValueType::Numeric:
            return "numeric";
    }
    return "?";
}

class Parser {
  public:
    Parser(std::string_view text, const RecordLayout& layout) : text_(text), layout_(layout) {
        Advance();
    }

    NodePtr ParseAll() {
        NodePtr root = ParseOr(0);
        if (token_.kind != TokenKind::End)
            Fail("unexpected \"" + token_.text + "\"");
        return root;
    }

  private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw ExpressionError("bad expression \"" + std::string(text_) + "\": " + what +
                              " at position " + std::to_string(token_.position + 1));
    }

    void Advance() { token_ = NextToken(); }

    Token NextToken() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
        Token token;
        token.position = at_;
        if (at_ >= text_.size())
            return token;
        const char c = text_[at_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            const std::size_t start = at_;
            while (at_ < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
                ++at_;
            token.kind = TokenKind::Identifier;
            token.text = Upper(text_.substr(start, at_ - start));
            return token;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && at_ + 1 < text_.size() &&
             std::isdigit(static_cast<unsigned char>(text_[at_ + 1])))) {
            const std::size_t start = at_;
            while (at_ < text_.size() &&
                   (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '.'))
                ++at_;
            token.kind = TokenKind::Number;
            token.text = std::string(text_.substr(start, at_ - start));
            return token;
        }
        if (c == '.')
            return DotWord(token);
        if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const std::size_t end = text_.find(close, at_ + 1);
            if (end == std::string_view::npos) {
                token_.position = at_;
                Fail("unterminated string");
            }
            token.kind = TokenKind::String;
            token.text = std::string(text_.substr(at_ + 1, end - at_ - 1));
            at_ = end + 1;
            return token;
        }
        static constexpr std::string_view kTwoCharacter[] = {"==", "<>", "!=", "<=", ">="};
        for (std::string_view op : kTwoCharacter) {
            if (text_.substr(at_, 2) == op) {
                at_ += 2;
                token.kind = TokenKind::Operator;
                token.text = std::string(op);
                return token;
            }
        }
        ++at_;
        token.text = std::string(1, c);
        static constexpr std::pair<char, TokenKind> kSingleCharacter[] = {
            {'(', TokenKind::LeftParen}, {')', TokenKind::RightParen}, {',', TokenKind::Comma},
            {'!', TokenKind::Not},       {'=', TokenKind::Operator},   {'<', TokenKind::Operator},
            {'>', TokenKind::Operator},  {'#', TokenKind::Operator},   {'$', TokenKind::Operator},
            {'+', TokenKind::Operator},  {'-', TokenKind::Operator}};
        for (const auto& [character, kind] : kSingleCharacter) {
            if (character == c) {
                token.kind = kind;
                return token;
            }
        }
        token_.position = token.position;
        Fail("unexpected character \"" + token.text + "\"");
    }

    // .NOT. .AND. .OR. .T. .F. .Y. .N.
    Token DotWord(Token& token) {
        const std::size_t end = text_.find('.', at_ + 1);
        const std::string word =
            end == std::string_view::npos ? "" : Upper(text_.substr(at_ + 1, end - at_ - 1));
        if (word == "NOT")
            token.kind = TokenKind::Not;
        else if (word == "AND")
            token.kind = TokenKind::And;
        else if (word == "OR")
            token.kind = TokenKind::Or;
        else if (word == "T" || word == "Y" || word == "F" || word == "N") {
            token.kind = TokenKind::Logical;
            token.text = (word == "T" || word == "Y") ? "T" : "F";
        } else {
            token_.position = at_;
            Fail("unknown operator starting with \".\"");
        }
        if (token.text.empty())
            token.text = "." + word + ".";
        at_ = end + 1;
        return token;
    }

    static NodePtr Make(NodeKind kind, ValueType type) {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->type = type;
        return node;
    }

    void Expect(const NodePtr& node, ValueType type, const char* what) const {
        if (node->type != type)
            Fail(std::string(what) + " needs a " + TypeName(type) + " value, not " +
                 TypeName(node->type));
    }

    void Enter(int depth) const {
        if (depth > kMaxDepth)
            Fail("expression is nested too deeply");
    }

    NodePtr Binary(NodeKind kind, ValueType type, NodePtr left, NodePtr right) {
        NodePtr node = Make(kind, type);
        node->children.push_back(std::move(left));
        node->children.push_back(std::move(right));
        return node;
    }

    NodePtr ParseOr(int depth) {
        Enter(depth);
        return ParseLogicalChain(TokenKind::Or, NodeKind::Or, ".OR.", &Parser::ParseAnd, depth);
    }

    NodePtr ParseAnd(int depth) {
        return ParseLogicalChain(TokenKind::And, NodeKind::And, ".AND.", &Parser::ParseNot, depth);
    }

    // operand { operator operand }, both sides logical.
    NodePtr ParseLogicalChain(TokenKind op, NodeKind kind, const char* name,
                              NodePtr (Parser::*operand)(int), int depth) {
        NodePtr left = (this->*operand)(depth + 1);
        while (token_.kind == op) {
            Advance();
            NodePtr right = (this->*operand)(depth + 1);
            Expect(left, ValueType::Logical, name);
            Expect(right, ValueType::Logical, name);
            left = Binary(kind, ValueType::Logical, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr ParseNot(int depth) {
        Enter(depth);
        if (token_.kind == TokenKind::Not) {
            Advance();
            NodePtr operand = ParseNot(depth + 1);
            Expect(operand, ValueType::Logical, ".NOT.");
            NodePtr node = Make(NodeKind::Not, ValueType::Logical);
            node->children.push_back(std::move(operand));
            return node;
        }
        return ParseComparison(depth + 1);
    }

    NodePtr ParseComparison(int depth) {
        NodePtr left = ParseAdditive(depth + 1);
        static const std::pair<std::string_view, CompareOp> kOps[] = {
            {"=", CompareOp::Equal},         {"==", CompareOp::Exact},
            {"<>", CompareOp::NotEqual},     {"#", CompareOp::NotEqual},
            {"!=", CompareOp::NotEqual},     {"<", CompareOp::Less},
            {"<=", CompareOp::LessEqual},    {">", CompareOp::Greater},
            {">=", CompareOp::GreaterEqual}, {"$", CompareOp::Contains}};
        if (token_.kind != TokenKind::Operator)
            return left;
        const auto found = std::find_if(std::begin(kOps), std::end(kOps), [&](const auto& entry) {
            return entry.first == token_.text;
        });
        if (found == std::end(kOps))
            return left;
        Advance();
        NodePtr right = ParseAdditive(depth + 1);
        if (left->type != right->type)
            Fail(std::string("cannot compare ") + TypeName(left->type) + " with " +
                 TypeName(right->type));
        if (found->second == CompareOp::Contains)
            Expect(left, ValueType::Character, "$");
        NodePtr node =
            Binary(NodeKind::Compare, ValueType::Logical, std::move(left), std::move(right));
        node->op = found->second;
        return node;
    }

    NodePtr ParseAdditive(int depth) {
        NodePtr left = ParseUnary(depth + 1);
        while (token_.kind == TokenKind::Operator && (token_.text == "+" || token_.text == "-")) {
            const bool plus = token_.text == "+";
            Advance();
            NodePtr right = ParseUnary(depth + 1);
            if (left->type == ValueType::Character && plus) {
                Expect(right, ValueType::Character, "+");
                left = Binary(NodeKind::Concat, ValueType::Character, std::move(left),
                              std::move(right));
            } else {
                Expect(left, ValueType::Numeric, plus ? "+" : "-");
                Expect(right, ValueType::Numeric, plus ? "+" : "-");
                left = Binary(plus ? NodeKind::Add : NodeKind::Subtract, ValueType::Numeric,
                              std::move(left), std::move(right));
            }
        }
        return left;
    }

    NodePtr ParseUnary(int depth) {
        Enter(depth);
        if (token_.kind == TokenKind::Operator && token_.text == "-") {
            Advance();
            NodePtr operand = ParseUnary(depth + 1);
            Expect(operand, ValueType::Numeric, "unary -");
            NodePtr node = Make(NodeKind::Negate, ValueType::Numeric);
            node->children.push_back(std::move(operand));
            return node;
        }
        return ParsePrimary(depth + 1);
    }

    NodePtr ParsePrimary(int depth) {
        Token token = token_;
        switch (token.kind) {
            case TokenKind::String: {
                Advance();
                NodePtr node = Make(NodeKind::Literal, ValueType::Character);
                node->literal = Value{ValueType::Character, token.text};
                return node;
            }
            case TokenKind::Number: {
                double value = 0;
                auto result = std::from_chars(token.text.data(),
                                              token.text.data() + token.text.size(), value);
                if (result.ec != std::errc() || result.ptr != token.text.data() + token.text.size())
                    Fail("bad number \"" + token.text + "\"");
                Advance();
                NodePtr node = Make(NodeKind::Literal, ValueType::Numeric);
                node->literal = Value{ValueType::Numeric, {}, value};
                return node;
            }
            case TokenKind::Logical: {
                Advance();
                NodePtr node = Make(NodeKind::Literal, ValueType::Logical);
                node->literal = Value{ValueType::Logical, {}, 0, token.text == "T"};
                return node;
            }
            case TokenKind::LeftParen: {
                Advance();
                NodePtr inner = ParseOr(depth + 1);
                if (token_.kind != TokenKind::RightParen)
                    Fail("missing \")\"");
                Advance();
                return inner;
            }
            case TokenKind::Identifier: {
                Advance();
                if (token_.kind == TokenKind::LeftParen)
                    return ParseCall(token.text, depth);
                const int field = layout_.Find(token.text);
                if (field < 0) {
                    token_.position = token.position;
                    Fail("unknown field " + token.text);
                }
                static constexpr ValueType kTypes[] = {ValueType::Character, ValueType::Date,
                                                       ValueType::Logical, ValueType::Numeric};
                static constexpr FieldType kFieldTypes[] = {FieldType::Character, FieldType::Date,
                                                            FieldType::Logical, FieldType::Numeric};
                const FieldType fieldType = layout_.Fields()[static_cast<std::size_t>(field)].type;
                const auto index =
                    std::find(std::begin(kFieldTypes), std::end(kFieldTypes), fieldType) -
                    std::begin(kFieldTypes);
                NodePtr node = Make(NodeKind::FieldRef, kTypes[index]);
                node->field = field;
                return node;
            }
            case TokenKind::End:
                Fail("unexpected end of expression");
            default:
                Fail("unexpected \"" + token.text + "\"");
        }
    }

    NodePtr ParseCall(const std::string& name, int depth) {
        struct Function {
            std::string_view name;
            NodeKind kind;
            int arguments;
            ValueType argument;
            ValueType result;
        };
        static constexpr Function kFunctions[] = {
            {"DTOS", NodeKind::Dtos, 1, ValueType::Date, ValueType::Character},
            {"UPPER", NodeKind::Upper, 1, ValueType::Character, ValueType::Character},
            {"LOWER", NodeKind::Lower, 1, ValueType::Character, ValueType::Character},
            {"TRIM", NodeKind::Trim, 1, ValueType::Character, ValueType::Character},
            {"DELETED", NodeKind::Deleted, 0, ValueType::Logical, ValueType::Logical},
        };
        const auto function = std::find_if(std::begin(kFunctions), std::end(kFunctions),
                                           [&](const Function& f) { return f.name == name; });
        if (function == std::end(kFunctions))
            Fail("unknown function " + name + "()");
        Advance();  // past "("
        NodePtr node = Make(function->kind, function->result);
        while (token_.kind != TokenKind::RightParen) {
            if (!node->children.empty()) {
                if (token_.kind != TokenKind::Comma)
                    Fail("missing \")\" after the arguments of " + name);
                Advance();
            }
            node->children.push_back(ParseOr(depth + 1));
        }
        Advance();
        if (static_cast<int>(node->children.size()) != function->arguments)
            Fail(name + "() takes " + std::to_string(function->arguments) + " argument(s)");
        for (const NodePtr& argument : node->children)
            Expect(argument, function->argument, function->name.data());
        return node;
    }

    std::string_view text_;
    const RecordLayout& layout_;
    std::size_t at_ = 0;
    Token token_;
};

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// ASCII letters, plus the Latin-1 letters of UTF-8 (lead byte 0xC3), whose
// cases differ by 0x20 in the second byte.
std::string ChangeCase(std::string text, bool upper) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char& c = reinterpret_cast<unsigned char&>(text[i]);
        if (c < 0x80) {
            c = static_cast<unsigned char>(upper ? std::toupper(c) : std::tolower(c));
        } else if (c == 0xC3 && i + 1 < text.size()) {
            unsigned char& next = reinterpret_cast<unsigned char&>(text[++i]);
            if (upper && next >= 0xA0 && next <= 0xBE && next != 0xB7)
                next -= 0x20;
            else if (!upper && next >= 0x80 && next <= 0x9E && next != 0x97)
                next += 0x20;
        }
    }
    return text;
}

int CompareValues(const Value& left, const Value& right) {
    switch (left.type) {
        case ValueType::Numeric:
            return left.number < right.number ? -1 : (left.number > right.number ? 1 : 0);
        case ValueType::Logical:
            return static_cast<int>(left.logical) - static_cast<int>(right.logical);
        default: {
            const int order = TrimRight(left.text).compare(TrimRight(right.text));
            return order < 0 ? -1 : (order > 0 ? 1 : 0);
        }
    }
}

// "=" on text follows the xBase rule without EXACT: the left side only has to
// begin with the right side.
bool LooseEqual(const Value& left, const Value& right) {
    if (left.type != ValueType::Character)
        return CompareValues(left, right) == 0;
    const std::string wanted = TrimRight(right.text);
    return left.text.compare(0, wanted.size(), wanted) == 0;
}

bool Compare(CompareOp op, const Value& left, const Value& right) {
    switch (op) {
        case CompareOp::Equal:
            return LooseEqual(left, right);
        case CompareOp::NotEqual:
            return !LooseEqual(left, right);
        case CompareOp::Exact:
            return CompareValues(left, right) == 0;
        case CompareOp::Less:
            return CompareValues(left, right) < 0;
        case CompareOp::LessEqual:
            return CompareValues(left, right) <= 0;
        case CompareOp::Greater:
            return CompareValues(left, right) > 0;
        case CompareOp::GreaterEqual:
            return CompareValues(left, right) >= 0;
        case CompareOp::Contains:
            return right.text.find(left.text) != std::string::npos;
    }
    return false;
}

Value EvaluateNode(const Node& node, const RecordView& record) {
    const auto child = [&](std::size_t i) { return EvaluateNode(*node.children[i], record); };
    const auto logical = [](bool value) { return Value{ValueType::Logical, {}, 0, value}; };
    const auto character = [](std::string text) {
        return Value{ValueType::Character, std::move(text)};
    };
    const auto number = [](double value) { return Value{ValueType::Numeric, {}, value}; };
    switch (node.kind) {
        case NodeKind::Literal:
            return node.literal;
        case NodeKind::FieldRef: {
            const auto index = static_cast<std::size_t>(node.field);
            const Field& field = record.layout.Fields()[index];
            const char* at = record.data + record.layout.Offset(index);
            switch (field.type) {
                case FieldType::Character:
                    return character(std::string(at, static_cast<std::size_t>(field.width)));
                case FieldType::Date: {
                    Value value{ValueType::Date, std::string(8, ' ')};
                    if (!DecodeDate(at).IsEmpty())
                        value.text.assign(at, 8);
                    return value;
                }
                case FieldType::Logical:
                    return logical(DecodeLogical(at));
                case FieldType::Numeric:
                    return number(DecodeNumber(field, at));
            }
            return {};
        }
        case NodeKind::Not:
            return logical(!child(0).logical);
        case NodeKind::And:
            return logical(child(0).logical && child(1).logical);
        case NodeKind::Or:
            return logical(child(0).logical || child(1).logical);
        case NodeKind::Compare:
            return logical(Compare(node.op, child(0), child(1)));
        case NodeKind::Concat:
            return character(child(0).text + child(1).text);
        case NodeKind::Add:
            return number(child(0).number + child(1).number);
        case NodeKind::Subtract:
            return number(child(0).number - child(1).number);
        case NodeKind::Negate:
            return number(-child(0).number);
        case NodeKind::Dtos:
            return character(child(0).text);
        case NodeKind::Upper:
            return character(ChangeCase(child(0).text, true));
        case NodeKind::Lower:
            return character(ChangeCase(child(0).text, false));
        case NodeKind::Trim:
            return character(TrimRight(child(0).text));
        case NodeKind::Deleted:
            return logical(record.data[0] == '*');
    }
    return {};
}

}  // namespace

Expression Expression::Parse(std::string_view text, const RecordLayout& layout) {
    Parser parser(text, layout);
    NodePtr root = parser.ParseAll();
    return Expression(std::string(text), std::shared_ptr<const Node>(std::move(root)));
}

ValueType Expression::Type() const {
    return root_->type;
}

Value Expression::Evaluate(const RecordView& record) const {
    return EvaluateNode(*root_, record);
}

bool Expression::IsTrue(const RecordView& record) const {
    return Evaluate(record).logical;
}

std::string Expression::SortKey(const RecordView& record) const {
    const Value value = Evaluate(record);
    switch (value.type) {
        case ValueType::Logical:
            return value.logical ? "T" : "F";
        case ValueType::Numeric: {
            // IEEE bits made unsigned-comparable: flip all bits of negatives,
            // only the sign bit of positives; big-endian bytes.
            std::uint64_t bits =
                std::bit_cast<std::uint64_t>(value.number == 0 ? 0.0 : value.number);
            bits = (bits >> 63) ? ~bits : (bits | (std::uint64_t{1} << 63));
            std::string key(8, '\0');
            for (int i = 0; i < 8; ++i)
                key[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (56 - 8 * i));
            return key;
        }
        default:
            return value.text;
    }
}

}  // namespace corvane::tables
