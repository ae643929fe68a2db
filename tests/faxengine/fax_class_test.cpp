#include "faxengine/fax_class.h"

#include <gtest/gtest.h>

namespace corvane::engine {
namespace {

TEST(FaxClass, AutomaticChoiceTakesTheRichestClassOffered) {
    struct Case {
        FaxClasses offered;
        std::optional<FaxClass> chosen;
        unsigned mask;
    };
    const Case cases[] = {
        {{true, true, true, true}, FaxClass::fcClass2_0, 4 | 8 | 16},
        {{true, true, true, false}, FaxClass::fcClass2, 4 | 8},
        {{true, true, false, true}, FaxClass::fcClass2_0, 4 | 16},
        {{true, true, false, false}, FaxClass::fcClass1, 4},
        {{true, false, false, false}, std::nullopt, 0},         // a data modem
        {{false, true, true, true}, std::nullopt, 4 | 8 | 16},  // the query failed
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AutomaticFaxClass(c.offered), c.chosen) << c.mask;
        EXPECT_EQ(FaxClassMask(c.offered), c.mask);
    }
}

}  // namespace
}  // namespace corvane::engine
