// A discrete-event scheduler with a virtual clock. It stands in for the
// platform in tests and for the simulated line: line events (bytes on the
// wire, a far end's replies, timers) run when virtual time reaches them;
// posted messages run only when the message loop turns, never inside a
// busy wait, as on the desktop.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <queue>
#include <vector>

#include "faxengine/engine_platform.h"

namespace corvane::engine {

using Micros = std::uint64_t;

constexpr Micros Milliseconds(std::uint64_t ms) {
    return ms * 1000;
}
constexpr Micros Seconds(std::uint64_t s) {
    return s * 1000000;
}

class Scheduler : public Clock, public Platform {
  public:
    // A polling loop lets at most this much time pass per turn.
    static constexpr Micros kPollStep = Milliseconds(1);

    explicit Scheduler(Micros start = 0) : now_(start) {}

    Micros Now() const { return now_; }
    std::uint32_t MilliSeconds() const override {
        return static_cast<std::uint32_t>(now_ / 1000) & 0x7FFFFFFFu;
    }

    // Line events; events at the same time run in the order scheduled.
    void At(Micros when, std::function<void()> action);
    void After(Micros delay, std::function<void()> action) { At(now_ + delay, std::move(action)); }

    void BusyWait(std::uint32_t milliseconds) override;
    void PollMessages() override;
    void Post(std::function<void()> call) override { messages_.push_back(std::move(call)); }

    // The message loop: runs messages and line events in time order until
    // done() holds or nothing is left before the absolute time limit (the
    // clock then stands at the limit). Returns done().
    bool RunUntil(const std::function<bool()>& done, Micros limit);
    void RunFor(Micros duration);
    bool Idle() const { return messages_.empty() && events_.empty(); }

  private:
    struct Event {
        Micros when;
        std::uint64_t sequence;
        std::function<void()> action;
        bool operator>(const Event& other) const {
            return when != other.when ? when > other.when : sequence > other.sequence;
        }
    };

    void AdvanceTo(Micros when);
    bool RunOneMessage();

    Micros now_;
    std::uint64_t sequence_ = 0;
    std::priority_queue<Event, std::vector<Event>, std::greater<>> events_;
    std::deque<std::function<void()>> messages_;
};

}  // namespace corvane::engine
