#include "faxengine/page_data.h"

#include <gtest/gtest.h>

#include "session_rig.h"

namespace corvane::engine {
namespace {

TEST(PageDataTest, DataDoublesDle) {
    SessionRig rig;
    PutData(rig.session, Bytes({0x01, 0x10, 0x03}));
    EndData(rig.session);
    EXPECT_EQ(rig.Sent(), Bytes({0x01, 0x10, 0x10, 0x03, 0x10, 0x03}));
}

TEST(PageDataTest, LinesAreFilledToTheMinimum) {
    struct Case {
        std::uint16_t minLineBytes;
        std::vector<std::uint8_t> line;
        std::size_t sent;
        std::int32_t counted;
    };
    const Case cases[] = {
        {24, Bytes({0x01, 0x10}), 24 + 1, 24},  // the doubled DLE is not fill
        {0, Bytes({0x01, 0x02}), 2, 2},
        {3, Bytes({1, 2, 3, 4, 5}), 5, 5},
    };
    for (const Case& c : cases) {
        SessionRig rig;
        rig.session.modem.params.minLineBytes = c.minLineBytes;
        PutLine(rig.session, c.line);
        EXPECT_EQ(rig.Sent().size(), c.sent) << c.minLineBytes;
        EXPECT_EQ(rig.session.data.bytesTransferred, c.counted) << c.minLineBytes;
    }
}

TEST(PageDataTest, BlankLines) {
    struct Case {
        std::uint16_t minLineBytes;
        std::size_t perLine;
    };
    for (const Case c : {Case{24, 25}, Case{0, 6}, Case{6, 6}, Case{7, 8}}) {
        SessionRig rig;
        rig.session.modem.params.minLineBytes = c.minLineBytes;
        PutBlankLines(rig.session, 2);
        const std::vector<std::uint8_t>& sent = rig.Sent();
        ASSERT_EQ(sent.size(), 2 * c.perLine) << c.minLineBytes;
        EXPECT_EQ(std::vector<std::uint8_t>(sent.begin(), sent.begin() + 6),
                  Bytes({0x00, 0x80, 0xB2, 0x59, 0x01, 0x00}));
    }
}

}  // namespace
}  // namespace corvane::engine
