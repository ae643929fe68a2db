#include "faxengine/modem_text.h"

#include <gtest/gtest.h>

#include "faxengine/class_commands.h"
#include "faxengine/modem_control.h"

namespace corvane::engine {
namespace {

TEST(ModemText, StripTagKeepsTheValueOfAReportLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"+FCSI: 123", "123"},
        {"  +FCLASS: 0,1,2\r\n", "0,1,2"},
        {"0,1,2,2.0", "0,1,2,2.0"},
        {"+FCLASS=2.0", "2.0"},  // no ":": the first "=" ends the tag
        {"+FHNG: a=b", "a=b"},   // ":" before "=" wins
        {"", ""},
        {":", ""},
    };
    for (const auto& [line, value] : cases) {
        EXPECT_EQ(StripTag(line), value) << '"' << line << '"';
    }
    // Only the first 128 characters count: a ":" after them is not seen.
    EXPECT_EQ(StripTag(std::string(130, 'x') + ":1"), std::string(128, 'x'));
}

TEST(ModemText, CleanIDDropsQuotesAndTrailingPunctuation) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"+1 555 0100\"", "+1 555 0100"},
        {"  \" ABC DEF \"  ", "ABC DEF"},
        {"station-7.", "station-7"},
        {"\"\"", ""},
        {"---", ""},
    };
    for (const auto& [id, clean] : cases) {
        EXPECT_EQ(CleanID(id), clean) << '"' << id << '"';
    }
}

TEST(ModemText, ParseHangupCodeReadsUpToThreeCharactersAfterTheColon) {
    const std::pair<const char*, int> cases[] = {
        {"+FHNG: 0", 0},     {"+FHNG:50", 50}, {"+FHS: 100", 10},  // the blank is one of the three
        {"+FHNG:1234", 123}, {"+FHNG", 0},     {"+FHNG: x1", 0},  {"+FHS:", 0},
    };
    for (const auto& [response, code] : cases) {
        EXPECT_EQ(ParseHangupCode(response), code) << '"' << response << '"';
    }
}

TEST(ModemText, MatcherFindsThePatternAcrossFalseStarts) {
    struct Case {
        const char* stream;
        int hits;
    };
    const Case cases[] = {
        {"OK\r\n", 1}, {"OK\r\r\n", 1}, {"\r\n\r\n", 2}, {"\n\r", 0}, {"\r\rx\n", 0}};
    for (const Case& c : cases) {
        PatternMatcher matcher("\r\n");
        int hits = 0;
        for (const char* p = c.stream; *p != '\0'; ++p) {
            hits += matcher.Advance(static_cast<std::uint8_t>(*p)) ? 1 : 0;
        }
        EXPECT_EQ(hits, c.hits) << testing::PrintToString(std::string(c.stream));
    }
}

TEST(ModemText, ModemInitIsStoredUpperCaseWithATInFront) {
    const std::pair<std::string, std::string> cases[] = {
        {"&F", "AT&F"},
        {"atz", "ATZ"},
        {"s7=60", "ATS7=60"},
        {"", ""},
        {std::string(40, 'x'), "AT" + std::string(38, 'X')},
        {std::string(50, 'a'), std::string(40, 'A')},
    };
    for (const auto& [typed, stored] : cases) {
        EXPECT_EQ(NormalizeModemInit(typed), stored) << typed;
    }
}

TEST(ModemText, InitStringAndRateCodesFollowTheOptions) {
    struct Case {
        bool blind;
        bool busy;
        const char* init;
    };
    const Case cases[] = {{true, false, "ATE0Q0V1X1S0=0S2=43"},
                          {false, false, "ATE0Q0V1X2S0=0S2=43"},
                          {true, true, "ATE0Q0V1X3S0=0S2=43"},
                          {false, true, "ATE0Q0V1X4S0=0S2=43"}};
    for (const Case& c : cases) {
        EXPECT_EQ(InitStringFor(c.blind, c.busy), c.init);
    }
    const std::pair<std::uint32_t, const char*> rates[] = {{2400, "0"}, {4800, "1"},  {7200, "2"},
                                                           {9600, "3"}, {12000, "4"}, {14400, "5"},
                                                           {19200, "3"}};
    for (const auto& [bps, code] : rates) {
        EXPECT_EQ(Class2RateCode(bps), code) << bps;
    }
}

}  // namespace
}  // namespace corvane::engine
