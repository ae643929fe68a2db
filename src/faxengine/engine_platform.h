// What the engine needs of the platform besides the port: a millisecond
// clock, busy waits, yielding to pending messages, and posting a call to
// run after the current one returns. Production binds these to the
// desktop event loop; tests bind them to the virtual-time scheduler.
#pragma once

#include <cstdint>
#include <functional>

namespace corvane::engine {

class Clock {
  public:
    virtual ~Clock() = default;
    // The system millisecond counter, low 31 bits only.
    virtual std::uint32_t MilliSeconds() const = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;
    // Waits without delivering messages; the port's device side keeps
    // buffering meanwhile.
    virtual void BusyWait(std::uint32_t milliseconds) = 0;
    // One turn of a polling loop: delivers pending messages (and through
    // them the port events that are not suspended) and lets a little time
    // pass, so a loop of these calls ends when its deadline passes.
    virtual void PollMessages() = 0;
    // Queues a call for the message loop; it runs after the caller returns.
    virtual void Post(std::function<void()> call) = 0;
};

}  // namespace corvane::engine
