#include "faxengine/scheduler.h"

#include <algorithm>

namespace corvane::engine {

void Scheduler::At(Micros when, std::function<void()> action) {
    events_.push({std::max(when, now_), sequence_++, std::move(action)});
}

void Scheduler::AdvanceTo(Micros when) {
    while (!events_.empty() && events_.top().when <= when) {
        Event event = events_.top();
        events_.pop();
        now_ = event.when;
        event.action();
    }
    now_ = std::max(now_, when);
}

bool Scheduler::RunOneMessage() {
    if (messages_.empty()) {
        return false;
    }
    std::function<void()> call = std::move(messages_.front());
    messages_.pop_front();
    call();
    return true;
}

void Scheduler::BusyWait(std::uint32_t milliseconds) {
    AdvanceTo(now_ + Milliseconds(milliseconds));
}

void Scheduler::PollMessages() {
    // Only the messages already queued: a message that posts another must
    // not keep one turn from ending.
    for (std::size_t pending = messages_.size(); pending > 0 && RunOneMessage(); --pending) {
    }
    Micros next = now_ + kPollStep;
    if (!events_.empty()) {
        next = std::min(next, std::max(events_.top().when, now_));
    }
    AdvanceTo(next);
}

bool Scheduler::RunUntil(const std::function<bool()>& done, Micros limit) {
    while (!done()) {
        if (RunOneMessage()) {
            continue;
        }
        if (events_.empty() || events_.top().when > limit) {
            AdvanceTo(std::max(limit, now_));
            return done();
        }
        AdvanceTo(events_.top().when);
    }
    return true;
}

void Scheduler::RunFor(Micros duration) {
    RunUntil([] { return false; }, now_ + duration);
}

}  // namespace corvane::engine
