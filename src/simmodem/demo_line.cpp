#include "simmodem/demo_line.h"

#include "simmodem/demo_fax.h"
#include "simmodem/reserved_numbers.h"

namespace corvane::simmodem {

namespace {

constexpr engine::Micros kWatchStep = engine::Seconds(1);

ModemConfig AllClasses() {
    ModemConfig config;
    config.classes = {"1", "2", "2.0"};
    return config;
}

}  // namespace

DemoLine::DemoLine(engine::Scheduler& scheduler)
    : scheduler_(scheduler), network_(scheduler), modem_(network_, AllClasses()) {
    // A remote machine takes one call only: each call reaches a fresh one.
    network_.AssignOthers([this]() -> LineParty& {
        answerers_.push_back(std::make_unique<RemoteFax>(network_, RemoteFaxConfig{}));
        return *answerers_.back();
    });
    AssignReservedNumbers(network_);
    network_.Assign(kModemNumber, modem_);
}

DemoLine::~DemoLine() = default;

RemoteFax& DemoLine::PlaceCall(RemoteFaxConfig config) {
    callers_.push_back(std::make_unique<RemoteFax>(network_, std::move(config)));
    callers_.back()->Dial(kModemNumber);
    return *callers_.back();
}

void DemoLine::CallEvery(engine::Micros period) {
    period_ = period;
    ++generation_;
    if (period_ > 0) {
        ScheduleDemoCall(generation_);
    }
}

void DemoLine::ScheduleDemoCall(unsigned generation) {
    scheduler_.After(period_, [this, generation, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired() || generation != generation_) {
            return;
        }
        PlaceCall(DemoCaller());
        WatchDemoCall(generation);
    });
}

void DemoLine::WatchDemoCall(unsigned generation) {
    scheduler_.After(kWatchStep, [this, generation, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired() || generation != generation_) {
            return;
        }
        if (callers_.back()->Finished()) {
            ScheduleDemoCall(generation);
        } else {
            WatchDemoCall(generation);
        }
    });
}

}  // namespace corvane::simmodem
