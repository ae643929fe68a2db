#include "platform/wall_clock_driver.h"

#include <QCoreApplication>

#include <algorithm>

namespace corvane::platform {

namespace {

// A fast-forward step: short enough that the GUI stays lively between them.
constexpr engine::Micros kFastStep = engine::Milliseconds(50);

// Clears a flag when the turn ends, however it ends.
class Turn {
  public:
    explicit Turn(bool& flag) : flag_(flag) { flag_ = true; }
    ~Turn() { flag_ = false; }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

  private:
    bool& flag_;
};

}  // namespace

WallClockDriver::WallClockDriver(engine::Scheduler& scheduler) : scheduler_(scheduler) {
    wall_.start();
    Rebase();
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { CatchUp(); });
    timer_.start(kTickMs);
}

WallClockDriver::~WallClockDriver() {
    timer_.stop();
}

engine::Micros WallClockDriver::WallNow() const {
    return static_cast<engine::Micros>(
        std::max<std::int64_t>(0, wall_.nsecsElapsed() / 1000 + offset_));
}

void WallClockDriver::Rebase() {
    offset_ = static_cast<std::int64_t>(scheduler_.Now()) - wall_.nsecsElapsed() / 1000;
}

void WallClockDriver::CatchUp() {
    if (inTurn_) {
        return;
    }
    Turn turn(inTurn_);
    // Busy waits inside the session may have taken the scheduler ahead of
    // the wall clock; it then simply waits for the wall clock.
    scheduler_.RunUntil([] { return false; }, WallNow());
}

bool WallClockDriver::FastForward(const std::function<bool()>& done, engine::Micros limit) {
    if (inTurn_) {
        return false;
    }
    while (!done() && scheduler_.Now() < limit) {
        {
            Turn turn(inTurn_);
            scheduler_.RunUntil(done, std::min(limit, scheduler_.Now() + kFastStep));
        }
        const std::weak_ptr<bool> alive = alive_;
        QCoreApplication::processEvents();
        if (alive.expired()) {
            return false;
        }
    }
    Rebase();
    return done();
}

}  // namespace corvane::platform
