// The receiver's verdict on a class 1 caller's training check: fewer than
// one byte in ten non-zero is good whatever its length, anything else is
// answered with FTT, and FTT at 2400 bit/s, the last rate, ends the call.
// The demodulator's tail of ones and noise after the check never counts.
#include <gtest/gtest.h>

#include <algorithm>

#include "faxengine/send_constants.h"
#include "receive_rig.h"

namespace corvane::integration {
namespace {

struct TrainingCase {
    const char* name;
    int nonzeroPercent;
    std::optional<std::size_t> bytes;
    bool trains;  // CFR at the first rate tried
};

const TrainingCase kTrainingCases[] = {
    {"clean", 0, std::nullopt, true},
    {"5pc", 5, std::nullopt, true},
    {"10pc", 10, std::nullopt, false},
    {"40pc", 40, std::nullopt, false},
    // Only the share counts: a short clean check still trains.
    {"short", 0, 40, true},
    {"short10pc", 10, 40, false},
    // Nothing but the demodulator's tail and DLE ETX.
    {"empty", 0, 0, false},
};

TEST(ReceiveTraining, VerdictFollowsTheShareOfNonZeroBytes) {
    for (const TrainingCase& c : kTrainingCases) {
        SCOPED_TRACE(c.name);
        RemoteFaxConfig caller;
        caller.pagesToSend = TestPages(1, false);
        caller.faults.tcfNonzeroPercent = c.nonzeroPercent;
        caller.faults.tcfBytes = c.bytes;
        ReceiveRig rig(FaxClass::fcClass1, std::string("tcf_") + c.name, caller);
        rig.fax.desiredBPS = 14400;
        rig.Start();
        rig.Call();

        const std::vector<std::string>& log = rig.caller->Log();
        const auto cfr = std::find(log.begin(), log.end(), "rx CFR");
        const auto ftt = std::find(log.begin(), log.end(), "rx FTT");
        EXPECT_EQ(cfr != log.end() && (ftt == log.end() || cfr < ftt), c.trains);
        EXPECT_EQ(rig.caller->Succeeded(), c.trains) << rig.caller->FailureReason();
        if (c.trains) {
            ASSERT_EQ(rig.files.size(), 1u);
            ExpectSamePages(rig.files[0], caller.pagesToSend);
            continue;
        }
        // The caller steps down through every rate; the receiver gives up
        // after its FTT at 2400 bit/s, and no file is made.
        EXPECT_NE(std::find(log.begin(), log.end(), "tx TCF 2400"), log.end());
        EXPECT_EQ(std::find(log.begin(), log.end(), "rx CFR"), log.end());
        EXPECT_EQ(rig.errors, std::vector<int>{engine::send::ecFaxTrainError});
        EXPECT_TRUE(rig.files.empty());
    }
}

}  // namespace
}  // namespace corvane::integration
