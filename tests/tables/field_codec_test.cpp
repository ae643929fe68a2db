#include <gtest/gtest.h>

#include <string>

#include "tables/field.h"
#include "tables/table_error.h"

namespace corvane::tables {
namespace {

TEST(FieldCodec, TextIsCutAtCharacterBoundariesAndPadded) {
    struct Case {
        int width;
        std::string in;
        std::string stored;
    };
    const Case cases[] = {
        {5, "abc", "abc  "},
        {5, "abcdefgh", "abcde"},
        {4, "abc\xC3\xA9", "abc "},  // é would straddle the end
        {5, "abc\xC3\xA9", "abc\xC3\xA9"},
        {4, "\xE2\x82\xAC\xE2\x82\xAC", "\xE2\x82\xAC "},  // €€ into 4 bytes
        {3, "\xC3", "   "},  // an incomplete sequence is dropped, not overrun
        {2, "", "  "},
    };
    for (const Case& c : cases) {
        const Field field{"F", FieldType::Character, c.width, 0};
        std::string out(static_cast<std::size_t>(c.width), '?');
        EncodeText(field, c.in, out.data());
        EXPECT_EQ(out, c.stored) << c.in;
    }
}

TEST(FieldCodec, NumbersAreRightAlignedAndRefusedWhenTooWide) {
    const Field pages{"PAGES", FieldType::Numeric, 2, 0};
    std::string out(2, '?');
    EncodeNumber(pages, 7, out.data());
    EXPECT_EQ(out, " 7");
    EXPECT_EQ(DecodeNumber(pages, out.data()), 7);
    EncodeNumber(pages, 99, out.data());
    EXPECT_EQ(out, "99");
    // 100 pages would silently read back as a wrong number if stored cut.
    EXPECT_THROW(EncodeNumber(pages, 100, out.data()), TableError);
    EXPECT_EQ(DecodeNumber(pages, "x1"), 0);
    EXPECT_EQ(DecodeNumber(pages, "  "), 0);
}

TEST(FieldCodec, DatesAreValidatedBothWays) {
    char out[8];
    EncodeDate({2024, 2, 29}, out);
    EXPECT_EQ(std::string(out, 8), "20240229");
    EXPECT_EQ(DecodeDate(out), (Date{2024, 2, 29}));
    EncodeDate({}, out);
    EXPECT_EQ(std::string(out, 8), "        ");
    EXPECT_THROW(EncodeDate({2023, 2, 29}, out), TableError);
    for (const char* stored : {"        ", "20231301", "2023-1-1", "00000000", "20230431"})
        EXPECT_TRUE(DecodeDate(stored).IsEmpty()) << stored;
}

TEST(FieldCodec, FieldDefinitionsAreChecked) {
    const std::vector<std::vector<Field>> bad = {
        {},
        {{"lower", FieldType::Character, 5, 0}},
        {{"ELEVENCHARSX", FieldType::Character, 5, 0}},
        {{"D", FieldType::Date, 6, 0}},
        {{"C", FieldType::Character, 255, 0}},
        {{"N", FieldType::Numeric, 0, 0}},
        {{"A", FieldType::Logical, 1, 0}, {"A", FieldType::Logical, 1, 0}},
    };
    for (const auto& fields : bad) EXPECT_THROW(ValidateFields(fields), TableError);
    EXPECT_NO_THROW(ValidateFields(
        {{"PAGES", FieldType::Numeric, 2, 0}, {"NOTE_1", FieldType::Character, 254, 0}}));
}

}  // namespace
}  // namespace corvane::tables
