#include "faxengine/ticks.h"

#include <algorithm>

namespace corvane::engine {

namespace {
constexpr std::uint32_t kTicksPerWrap = kLastTick + 1;
}

std::uint32_t TicksFromMilliseconds(std::uint32_t milliseconds) {
    return (milliseconds & 0x7FFFFFFFu) / kMillisecondsPerTick;
}

std::uint32_t CurrentTicks(const Clock& clock) {
    return TicksFromMilliseconds(clock.MilliSeconds());
}

TickTimer StartTimer(const Clock& clock, std::uint32_t ticks) {
    const std::uint32_t now = CurrentTicks(clock);
    return {now, now + std::min(ticks, kMaxTimerTicks)};
}

std::uint32_t ElapsedTicks(const TickTimer& timer, std::uint32_t nowTick) {
    return nowTick >= timer.startTick ? nowTick - timer.startTick
                                      : nowTick + kTicksPerWrap - timer.startTick;
}

bool TimerExpired(const TickTimer& timer, std::uint32_t nowTick) {
    return ElapsedTicks(timer, nowTick) > timer.expireTick - timer.startTick;
}

bool TimerExpired(const TickTimer& timer, const Clock& clock) {
    return TimerExpired(timer, CurrentTicks(clock));
}

}  // namespace corvane::engine
