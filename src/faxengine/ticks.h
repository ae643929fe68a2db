// Time in ticks of 55 milliseconds, derived from the low 31 bits of the
// millisecond counter.
#pragma once

#include <cstdint>

#include "faxengine/engine_platform.h"

namespace corvane::engine {

inline constexpr std::uint32_t kMillisecondsPerTick = 55;
// The largest tick value: the 31-bit counter wraps to tick 0 after it.
inline constexpr std::uint32_t kLastTick = 0x7FFFFFFFu / kMillisecondsPerTick;
// Longest interval a timer can hold.
inline constexpr std::uint32_t kMaxTimerTicks = 39045157;
static_assert(kMaxTimerTicks == kLastTick);

std::uint32_t TicksFromMilliseconds(std::uint32_t milliseconds);
std::uint32_t CurrentTicks(const Clock& clock);

constexpr std::uint32_t SecondsToTicks(std::uint32_t seconds) {
    return static_cast<std::uint32_t>(std::uint64_t{seconds} * 1675 / 92);
}
constexpr std::uint32_t TicksToSeconds(std::uint32_t ticks) {
    return static_cast<std::uint32_t>((std::uint64_t{ticks} + 9) * 92 / 1675);
}

// A start and an expiry tick.
struct TickTimer {
    std::uint32_t startTick = 0;
    std::uint32_t expireTick = 0;
};

TickTimer StartTimer(const Clock& clock, std::uint32_t ticks);
// Ticks elapsed from start to now, counting across one wrap of the counter.
std::uint32_t ElapsedTicks(const TickTimer& timer, std::uint32_t nowTick);
// True once more ticks than the interval have passed since the start. A
// timer started shortly before the counter wraps keeps its full interval.
bool TimerExpired(const TickTimer& timer, std::uint32_t nowTick);
bool TimerExpired(const TickTimer& timer, const Clock& clock);

}  // namespace corvane::engine
