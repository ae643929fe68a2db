// Keeps a virtual-time scheduler in step with the wall clock from the Qt
// event loop, so the simulated modem and its line run at their true speed
// on the desktop. Everything the scheduler runs (line events, the port's
// events and through them the fax session) runs on the GUI thread, one
// turn at a time: a turn that processes pending events never starts
// another inside itself.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

#include "faxengine/scheduler.h"

namespace corvane::platform {

class WallClockDriver {
  public:
    static constexpr int kTickMs = 10;

    explicit WallClockDriver(engine::Scheduler& scheduler);
    ~WallClockDriver();
    WallClockDriver(const WallClockDriver&) = delete;
    WallClockDriver& operator=(const WallClockDriver&) = delete;

    // Runs what is due by now on the wall clock.
    void CatchUp();
    // Lets virtual time run ahead at full speed until done() holds or the
    // scheduler's clock reaches limit, turning the Qt event loop between
    // short steps; the wall clock then goes on from the time reached. For
    // tests and for skipping dead time. Returns done(); false at once when
    // called from inside a turn, and false when the event loop destroyed
    // the driver meanwhile (it then touches nothing more).
    bool FastForward(const std::function<bool()>& done, engine::Micros limit);

  private:
    engine::Micros WallNow() const;
    // Lets the wall clock continue from the scheduler's current time.
    void Rebase();

    engine::Scheduler& scheduler_;
    QTimer timer_;
    QElapsedTimer wall_;
    std::int64_t offset_ = 0;  // virtual time minus wall time, microseconds
    bool inTurn_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::platform
