// The template reader against the writer, hand-made encodings and every
// possible cut of a file.
#include <gtest/gtest.h>

#include "covers/files/template_file.h"

namespace corvane::covers {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TemplateElement Sample(std::int32_t kind, std::string text) {
    TemplateElement e;
    e.Kind = kind;
    e.Left = -5;
    e.Top = 300;        // 16-bit
    e.Width = 70000;    // 32-bit
    e.Height = -40000;  // negative 32-bit
    e.Text = std::move(text);
    e.FontName = "Arial";
    e.FontSize = 12;
    e.Bold = true;
    e.Underline = true;
    e.ShapeKind = 2;
    e.FillStyle = 1;
    e.PenWidth = 3;
    e.LineDirection = 1;
    e.Roundness = 10;
    e.FieldIndex = 4;
    return e;
}

TEST(TemplateFile, WrittenElementsReadBackIncludingLongStrings) {
    const std::vector<TemplateElement> elements{Sample(ekText, "Fax"),
                                                Sample(ekMessageBox, std::string(300, 'm')),
                                                Sample(ekValueField, "")};
    EXPECT_EQ(ReadTemplate(Bytes(EncodeTemplate(elements))), elements);
}

TEST(TemplateFile, IntegerTagsAreSignExtendedFromTheirWidth) {
    struct Case {
        std::string encoded;
        std::int32_t value;
    };
    const Case cases[] = {
        {std::string("\x02\xFF", 2), -1},
        {std::string("\x02\x7F", 2), 127},
        {std::string("\x03\x00\x80", 3), -32768},
        {std::string("\x03\x34\x12", 3), 0x1234},
        {std::string("\x04\xFE\xFF\xFF\xFF", 5), -2},
        {std::string("\x04\x78\x56\x34\x12", 5), 0x12345678},
    };
    for (const Case& c : cases) {
        // A record whose Kind is the value under test, the rest minimal.
        std::string record = std::string("\x01", 1) + c.encoded;
        record += std::string("\x02\x00\x02\x00\x02\x00\x02\x00", 8);
        record += std::string("\x06\x00\x0C\x00\x00\x00\x00", 7);  // both string tags
        record += std::string("\x02\x14\x09\x08\x07", 5);          // size, booleans
        record += std::string("\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x00", 13);
        const auto elements = ReadTemplate(Bytes(record));
        ASSERT_EQ(elements.size(), 1u) << c.value;
        EXPECT_EQ(elements[0].Kind, c.value);
        EXPECT_TRUE(elements[0].Bold);        // 0x09
        EXPECT_FALSE(elements[0].Italic);     // 0x08
        EXPECT_FALSE(elements[0].Underline);  // any other byte
    }
}

TEST(TemplateFile, EveryCutKeepsTheCompleteRecordsBeforeIt) {
    const std::vector<TemplateElement> elements{Sample(ekText, "one"), Sample(ekLine, "two"),
                                                Sample(ekShape, std::string(260, 's'))};
    const std::string whole = EncodeTemplate(elements);
    std::vector<std::size_t> ends;
    for (std::size_t i = 1; i <= elements.size(); ++i)
        ends.push_back(EncodeTemplate({elements.begin(), elements.begin() + i}).size());
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        const auto read = ReadTemplate(Bytes(whole.substr(0, cut)));
        const auto complete = static_cast<std::size_t>(
            std::count_if(ends.begin(), ends.end(), [&](std::size_t end) { return end <= cut; }));
        ASSERT_EQ(read.size(), complete) << "cut at " << cut;
        EXPECT_TRUE(std::equal(read.begin(), read.end(), elements.begin()));
    }
}

TEST(TemplateFile, DamageEndsReadingAtThatRecord) {
    const std::string good = EncodeTemplate({Sample(ekText, "ok")});
    struct Case {
        const char* what;
        std::string tail;
    };
    const Case cases[] = {
        {"unknown integer tag", std::string("\x01\x05\x00", 3)},
        {"unknown string tag", std::string("\x01\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x07", 12)},
        {"string longer than the file",
         std::string("\x01\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x0C\xFF\xFF\xFF\x7F", 16) +
             "abc"},
        {"no list start", std::string("\x02\x00", 2)},
        {"list end missing", good.substr(0, good.size() - 1) + '\x07'},
    };
    for (const Case& c : cases) {
        const auto read = ReadTemplate(Bytes(good + c.tail + good));
        EXPECT_EQ(read.size(), 1u) << c.what;
    }
}

}  // namespace
}  // namespace corvane::covers
