// The engine's clock and platform on the Qt event loop of the calling
// thread: the monotonic millisecond counter, sleeping busy waits,
// processEvents for polling, and queued calls.
#pragma once

#include <QObject>

#include "faxengine/engine_platform.h"

namespace corvane::platform {

class QtPlatform : public engine::Clock, public engine::Platform {
  public:
    std::uint32_t MilliSeconds() const override;
    void BusyWait(std::uint32_t milliseconds) override;
    void PollMessages() override;
    void Post(std::function<void()> call) override;

  private:
    // Queued calls die with the platform.
    QObject context_;
};

}  // namespace corvane::platform
