#include "faxengine/ticks.h"

#include <gtest/gtest.h>

namespace corvane::engine {
namespace {

class SetClock : public Clock {
  public:
    std::uint32_t MilliSeconds() const override { return ms & 0x7FFFFFFFu; }
    std::uint32_t ms = 0;
};

TEST(Ticks, ConvertSecondsAndTicksWithTheIntegerRules) {
    struct Case {
        std::uint32_t seconds;
        std::uint32_t ticks;
        std::uint32_t secondsBack;
    };
    // 60 s is 1092 ticks and reads back as 60; 1 s is 18 ticks and reads back as 1.
    const Case cases[] = {
        {0, 0, 0}, {1, 18, 1}, {10, 182, 10}, {60, 1092, 60}, {3600, 65543, 3600}};
    for (const Case& c : cases) {
        EXPECT_EQ(SecondsToTicks(c.seconds), c.ticks) << c.seconds << " s";
        EXPECT_EQ(TicksToSeconds(c.ticks), c.secondsBack) << c.ticks << " ticks";
    }
    // The longest interval, about 24.8 days.
    EXPECT_EQ(TicksToSeconds(kMaxTimerTicks), 2144570u);
}

TEST(Ticks, TickCountUsesTheLowThirtyOneBitsOfTheMillisecondCounter) {
    EXPECT_EQ(TicksFromMilliseconds(54), 0u);
    EXPECT_EQ(TicksFromMilliseconds(55), 1u);
    EXPECT_EQ(TicksFromMilliseconds(0x7FFFFFFFu), kLastTick);
    EXPECT_EQ(TicksFromMilliseconds(0x80000000u + 110), 2u);
}

TEST(Ticks, TimerExpiresOnlyAfterItsWholeIntervalEvenAcrossTheWrap) {
    struct Case {
        std::uint32_t startMs;
        std::uint32_t ticks;
        std::uint32_t laterMs;  // added to the start, wrapping at 31 bits
        bool expired;
    };
    const std::uint32_t nearWrap = 0x7FFFFFFFu - 55 * 5;  // five ticks before the wrap
    const Case cases[] = {
        {0, 10, 10 * 55, false},          // at the expiry tick itself: not yet
        {0, 10, 11 * 55, true},           // past it
        {1000, 0, 55, true},              // zero interval: the next tick
        {nearWrap, 182, 20 * 55, false},  // wrapped below the start, interval not over
        {nearWrap, 182, 183 * 55 + 54, true},
        {nearWrap, 3, 4 * 55, true},               // expiry before the wrap still counts
        {0, kMaxTimerTicks + 5, 55 * 100, false},  // capped, long way off
    };
    for (const Case& c : cases) {
        SetClock clock;
        clock.ms = c.startMs;
        const TickTimer timer = StartTimer(clock, c.ticks);
        clock.ms = (c.startMs + c.laterMs) & 0x7FFFFFFFu;
        EXPECT_EQ(TimerExpired(timer, clock), c.expired)
            << "start " << c.startMs << " ms, " << c.ticks << " ticks, +" << c.laterMs << " ms";
    }
}

}  // namespace
}  // namespace corvane::engine
