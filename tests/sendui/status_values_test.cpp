#include <gtest/gtest.h>

#include "faxengine/fax_progress.h"
#include "faxengine/ticks.h"
#include "sendui/status_values.h"

namespace corvane::sendui {
namespace {

using engine::SecondsToTicks;

TEST(StatusValues, TimesAreRightAlignedToSixCharacters) {
    EXPECT_EQ(SixCharacterTime(0), "  0:00");
    EXPECT_EQ(SixCharacterTime(60), "  1:00");
    EXPECT_EQ(SixCharacterTime(754), " 12:34");
    EXPECT_EQ(SixCharacterTime(6000), "100:00");
}

TEST(StatusValues, ElapsedTimeRunsFromConnectionToTheEndOfTheCall) {
    StatusTimers timers;
    const std::uint32_t t0 = 1000;
    timers.Update(engine::kProgressDialing, t0, 60);
    EXPECT_EQ(timers.ElapsedText(t0), "00:00");
    timers.Update(engine::kProgressConnectionParams, t0, 60);
    EXPECT_EQ(timers.ElapsedText(t0), "  0:00");
    // A later connection report does not restart it.
    timers.Update(engine::kProgressGotRemoteID, t0 + SecondsToTicks(5), 60);
    EXPECT_EQ(timers.ElapsedText(t0 + SecondsToTicks(75)), "  1:15");
    for (const int end :
         {engine::kProgressFinished, engine::kProgressUserAbort, engine::kProgressGotHangup}) {
        StatusTimers running = timers;
        running.Update(end, t0 + SecondsToTicks(80), 60);
        EXPECT_FALSE(running.ElapsedRunning()) << end;
        EXPECT_EQ(running.ElapsedText(t0 + SecondsToTicks(80)), "00:00");
    }
}

TEST(StatusValues, RedialCountdownRunsOnlyWhileWaitingToRedial) {
    StatusTimers timers;
    const std::uint32_t t0 = 500;
    timers.Update(engine::kProgressBusyWait, t0, 60);
    EXPECT_EQ(timers.CountdownText(t0), "  1:00");
    timers.Update(engine::kProgressBusyWait, t0 + SecondsToTicks(20), 60);
    EXPECT_EQ(timers.CountdownText(t0 + SecondsToTicks(20)), "  0:40");
    EXPECT_EQ(timers.CountdownText(t0 + SecondsToTicks(90)), "  0:00");
    timers.Update(engine::kProgressDialing, t0 + SecondsToTicks(61), 60);
    EXPECT_FALSE(timers.CountdownRunning());
    // The next busy wait starts a fresh countdown.
    timers.Update(engine::kProgressBusyWait, t0 + SecondsToTicks(100), 30);
    EXPECT_EQ(timers.CountdownText(t0 + SecondsToTicks(100)), "  0:30");
}

}  // namespace
}  // namespace corvane::sendui
