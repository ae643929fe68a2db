#include "simmodem/at_parser.h"

#include <gtest/gtest.h>

namespace corvane::simmodem {
namespace {

using Kind = AtCommand::Kind;
using Op = AtCommand::Op;

TEST(AtParser, SplitsCommandLines) {
    struct Case {
        const char* body;
        std::vector<AtCommand> expected;
    };
    const Case cases[] = {
        {"E0Q0V1X4S0=0S2=43",
         {{Kind::Basic, "E", Op::Action, 0, true, ""},
          {Kind::Basic, "Q", Op::Action, 0, true, ""},
          {Kind::Basic, "V", Op::Action, 1, true, ""},
          {Kind::Basic, "X", Op::Action, 4, true, ""},
          {Kind::SRegister, "S", Op::Set, 0, true, "0"},
          {Kind::SRegister, "S", Op::Set, 2, true, "43"}}},
        {"z", {{Kind::Basic, "Z", Op::Action, 0, false, ""}}},
        {"&f e1",
         {{Kind::Basic, "&F", Op::Action, 0, false, ""},
          {Kind::Basic, "E", Op::Action, 1, true, ""}}},
        {"S7?", {{Kind::SRegister, "S", Op::Query, 7, true, ""}}},
        {"+fclass=?", {{Kind::Extended, "+FCLASS", Op::Test, 0, false, ""}}},
        {"+FCLASS=2.0", {{Kind::Extended, "+FCLASS", Op::Set, 0, false, "2.0"}}},
        {"+FCLASS?;+FTM=96",
         {{Kind::Extended, "+FCLASS", Op::Query, 0, false, ""},
          {Kind::Extended, "+FTM", Op::Set, 0, false, "96"}}},
        // Strings keep case, blanks and semicolons.
        {"+FLID=\"Ab; 1\";E0",
         {{Kind::Extended, "+FLID", Op::Set, 0, false, "\"Ab; 1\""},
          {Kind::Basic, "E", Op::Action, 0, true, ""}}},
        {"DT 555,1234;", {{Kind::Dial, "D", Op::Action, 0, false, "T 555,1234;"}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const auto parsed = ParseAtCommandLine(c.body);
        ASSERT_TRUE(parsed.has_value()) << c.body;
        EXPECT_EQ(*parsed, c.expected) << c.body;
    }
}

TEST(AtParser, RefusesMalformedLines) {
    for (const char* body :
         {"S=3", "S5", "S300=1", "E999", "&", "&3", "+", "+FTM*3", "!", "S0=999"}) {
        EXPECT_FALSE(ParseAtCommandLine(body).has_value()) << body;
    }
    EXPECT_FALSE(ParseAtCommandLine(std::string(kMaxCommandLine + 1, 'E')).has_value());
}

}  // namespace
}  // namespace corvane::simmodem
