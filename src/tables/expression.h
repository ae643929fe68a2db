// xBase expressions for index keys, index conditions and queries: field
// names, string/number/logical literals, DTOS(), UPPER(), LOWER(), TRIM(),
// DELETED(), + and - , comparisons (=, ==, <>, #, !=, <, <=, >, >=, $),
// .NOT./!, .AND., .OR., in any letter case. Parsing checks the types, so
// evaluation of a parsed expression cannot fail.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "field.h"

namespace corvane::tables {

enum class ValueType { Character, Date, Logical, Numeric };

// One record as the evaluator sees it: data[0] is the deletion flag.
struct RecordView {
    const RecordLayout& layout;
    const char* data;
};

struct Value {
    ValueType type = ValueType::Logical;
    std::string text;  // Character, and Date as eight digits or eight blanks
    double number = 0;
    bool logical = false;
};

class Expression {
  public:
    // Throws ExpressionError with the reason and the position of the fault.
    static Expression Parse(std::string_view text, const RecordLayout& layout);

    const std::string& Text() const { return text_; }
    ValueType Type() const;
    Value Evaluate(const RecordView& record) const;
    // For logical expressions only (conditions and queries).
    bool IsTrue(const RecordView& record) const;
    // Bytes whose byte order is the order of the values.
    std::string SortKey(const RecordView& record) const;

    struct Node;

  private:
    Expression(std::string text, std::shared_ptr<const Node> root)
        : text_(std::move(text)), root_(std::move(root)) {}

    std::string text_;
    std::shared_ptr<const Node> root_;
};

}  // namespace corvane::tables
