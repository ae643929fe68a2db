#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tables/expression.h"
#include "tables/table_error.h"

namespace corvane::tables {
namespace {

// One CVOUT-like record: SUBJECT "Offer", DATESENT 2024-03-05, TIMESENT
// "09:30", ARCHIVED true, PAGES 12, not deleted.
class ExpressionTest : public ::testing::Test {
  protected:
    ExpressionTest()
        : layout_({{"SUBJECT", FieldType::Character, 10, 0},
                   {"DATESENT", FieldType::Date, 8, 0},
                   {"TIMESENT", FieldType::Character, 5, 0},
                   {"ARCHIVED", FieldType::Logical, 1, 0},
                   {"PAGES", FieldType::Numeric, 2, 0}}) {
        record_ = std::string(" ") + "Offer     " + "20240305" + "09:30" + "T" + "12";
    }

    Value Evaluate(const std::string& text) const {
        return Expression::Parse(text, layout_).Evaluate(RecordView{layout_, record_.data()});
    }

    RecordLayout layout_;
    std::string record_;
};

TEST_F(ExpressionTest, EvaluatesTheKeysConditionsAndQueries) {
    struct Case {
        const char* text;
        const char* expected;  // text result, or T/F for logical results
    };
    const Case cases[] = {
        {"DTOS(DATESENT)+TIMESENT", "2024030509:30"},
        {"UPPER(SUBJECT)", "OFFER     "},
        {"upper(subject)", "OFFER     "},
        {"LOWER(SUBJECT)", "offer     "},
        {"TRIM(SUBJECT) + '!'", "Offer!"},
        {".not. deleted()", "T"},
        {".NOT. DELETED()", "T"},
        {"!deleted()", "T"},
        {"ARCHIVED", "T"},
        {".not. archived", "F"},
        {".NOT. ARCHIVED .OR. PAGES > 10", "T"},
        {"ARCHIVED .and. .not. PAGES >= 13", "T"},
        {"SUBJECT = 'Off'", "T"},  // = on text: the left side begins with the right
        {"SUBJECT == 'Off'", "F"},
        {"SUBJECT == \"Offer\"", "T"},
        {"SUBJECT <> [Offer]", "F"},
        {"'ff' $ SUBJECT", "T"},
        {"PAGES - 2 = 10", "T"},
        {"-PAGES < 0", "T"},
        {"(PAGES = 12) = .T.", "T"},
        {"DATESENT > DATESENT", "F"},
    };
    for (const Case& c : cases) {
        const Value value = Evaluate(c.text);
        const std::string got =
            value.type == ValueType::Logical ? (value.logical ? "T" : "F") : value.text;
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

TEST_F(ExpressionTest, BadExpressionsGiveAClearError) {
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"", "unexpected end"},
        {"NOSUCH", "unknown field NOSUCH"},
        {"FOO()", "unknown function FOO()"},
        {"UPPER(PAGES)", "needs a character value"},
        {"DTOS(SUBJECT)", "needs a date value"},
        {"SUBJECT .AND. ARCHIVED", "needs a logical value"},
        {".not. SUBJECT", "needs a logical value"},
        {"SUBJECT = 3", "cannot compare"},
        {"SUBJECT + PAGES", "needs a character value"},
        {"'open", "unterminated string"},
        {"(ARCHIVED", "missing \")\""},
        {"UPPER(SUBJECT", "missing \")\""},
        {"DELETED(ARCHIVED)", "takes 0 argument"},
        {"ARCHIVED ARCHIVED", "unexpected \"ARCHIVED\""},
        {".xyz. ARCHIVED", "unknown operator"},
        {"1.2.3", "bad number"},
        {"SUBJECT & 'x'", "unexpected character"},
    };
    for (const Case& c : cases) {
        try {
            Expression::Parse(c.text, layout_);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const ExpressionError& error) {
            EXPECT_NE(std::strstr(error.what(), c.reason), nullptr)
                << c.text << ": " << error.what();
        }
    }
}

TEST_F(ExpressionTest, DeepNestingIsRefusedNotAStackOverflow) {
    EXPECT_THROW(Expression::Parse(std::string(100000, '(') + "ARCHIVED", layout_),
                 ExpressionError);
    EXPECT_THROW(Expression::Parse(std::string(100000, '!') + "ARCHIVED", layout_),
                 ExpressionError);
    EXPECT_THROW(Expression::Parse(std::string(100000, '-') + "PAGES > 1", layout_),
                 ExpressionError);
}

TEST_F(ExpressionTest, SortKeysOrderLikeTheirValues) {
    RecordLayout numbers({{"N", FieldType::Numeric, 6, 1}});
    const Expression key = Expression::Parse("N", numbers);
    const char* stored[] = {"-100.5", " -2.0", "   0.0", "   0.5", "  10.0", "9999.9"};
    for (std::size_t i = 1; i < std::size(stored); ++i) {
        const std::string a = std::string(" ") + stored[i - 1];
        const std::string b = std::string(" ") + stored[i];
        EXPECT_LT(key.SortKey({numbers, a.data()}), key.SortKey({numbers, b.data()}))
            << stored[i - 1] << " < " << stored[i];
    }
    const std::string logical =
        Expression::Parse("ARCHIVED", layout_).SortKey({layout_, record_.data()});
    EXPECT_EQ(logical, "T");
}

TEST_F(ExpressionTest, UpperCaseCoversLatinLettersOfUtf8) {
    RecordLayout text({{"NAME", FieldType::Character, 8, 0}});
    const std::string record = std::string(" ") + "\xC3\xA9t\xC3\xA9   ";  // "été"
    EXPECT_EQ(Expression::Parse("UPPER(NAME)", text).Evaluate({text, record.data()}).text,
              "\xC3\x89T\xC3\x89   ");
}

}  // namespace
}  // namespace corvane::tables
