#include "faxengine/com_port_base.h"

#include <algorithm>
#include <atomic>

#include "faxengine/engine_codes.h"
#include "faxengine/ticks.h"

namespace corvane::engine {

namespace {
int NextPortHandle() {
    static std::atomic<int> next{1};
    return next++;
}
}  // namespace

ComPortBase::ComPortBase(const Clock& clock, Platform& platform)
    : clock_(clock), platform_(platform), handle_(NextPortHandle()) {}

ComPortBase::~ComPortBase() = default;

int ComPortBase::RegisterEventProc(EventProc proc) {
    if (proc_) {
        return ecEventProcInUse;
    }
    proc_ = std::move(proc);
    if (!held_.empty()) {
        PostDispatch();
    }
    return 0;
}

void ComPortBase::DeregisterEventProc() {
    proc_ = nullptr;
}

int ComPortBase::EnableDataTrigger() {
    dataTrigger_ = true;
    return kDataTriggerHandle;
}

void ComPortBase::DisableDataTrigger() {
    dataTrigger_ = false;
    std::erase_if(held_, [](const HeldEvent& e) { return e.message == kMsgDataAvailable; });
}

ComPortBase::Trigger* ComPortBase::Find(int handle) {
    if (handle < 1 || handle > static_cast<int>(triggers_.size())) {
        return nullptr;
    }
    Trigger& trigger = triggers_[handle - 1];
    return trigger.kind == Kind::Free ? nullptr : &trigger;
}

int ComPortBase::AddTrigger(Kind kind) {
    auto free = std::find_if(triggers_.begin(), triggers_.end(),
                             [](const Trigger& t) { return t.kind == Kind::Free; });
    if (free == triggers_.end()) {
        if (triggers_.size() >= kMaxTriggers) {
            return ecNoMoreTriggers;
        }
        free = triggers_.insert(triggers_.end(), Trigger{});
    }
    const unsigned generation = free->generation + 1;
    *free = Trigger{kind, false, 0, generation};
    return static_cast<int>(free - triggers_.begin()) + 1;
}

int ComPortBase::AddTimerTrigger() {
    return AddTrigger(Kind::Timer);
}

int ComPortBase::AddStatusTrigger(StatusTriggerKind kind) {
    switch (kind) {
        case StatusTriggerKind::ModemStatus:
            return AddTrigger(Kind::ModemStatus);
        case StatusTriggerKind::OutputFree:
            return AddTrigger(Kind::OutputFree);
        case StatusTriggerKind::OutputUsed:
            return AddTrigger(Kind::OutputUsed);
    }
    return ecTriggerNotFound;
}

int ComPortBase::SetTimerTrigger(int handle, std::uint32_t ticks, bool active) {
    Trigger* trigger = Find(handle);
    if (trigger == nullptr || trigger->kind != Kind::Timer) {
        return ecTriggerNotFound;
    }
    trigger->active = active;
    trigger->value = std::min(ticks, kMaxTimerTicks);
    ++trigger->generation;
    if (active) {
        ArmTimer(handle, trigger->generation, trigger->value * kMillisecondsPerTick);
    }
    return 0;
}

int ComPortBase::SetStatusTrigger(int handle, std::uint32_t value, bool active) {
    Trigger* trigger = Find(handle);
    if (trigger == nullptr || trigger->kind == Kind::Timer) {
        return ecTriggerNotFound;
    }
    trigger->active = active;
    trigger->value = value;
    CheckBufferTriggers();
    return 0;
}

int ComPortBase::RemoveTrigger(int handle) {
    Trigger* trigger = Find(handle);
    if (trigger == nullptr) {
        return ecTriggerNotFound;
    }
    trigger->kind = Kind::Free;
    trigger->active = false;
    ++trigger->generation;
    std::erase_if(held_, [handle](const HeldEvent& e) { return e.handle == handle; });
    return 0;
}

void ComPortBase::TimerDue(int handle, unsigned generation) {
    Trigger* trigger = Find(handle);
    if (trigger == nullptr || trigger->kind != Kind::Timer || !trigger->active ||
        trigger->generation != generation) {
        return;
    }
    trigger->active = false;
    Raise(kMsgTimerTrigger, handle);
}

bool ComPortBase::StatusConditionMet(const Trigger& trigger) {
    switch (trigger.kind) {
        case Kind::OutputFree:
            return OutBuffFree() >= trigger.value;
        case Kind::OutputUsed:
            return OutBuffUsed() <= trigger.value;
        default:
            return false;
    }
}

// Buffer triggers fire once when their condition holds and wait to be set again.
void ComPortBase::CheckBufferTriggers() {
    for (std::size_t i = 0; i < triggers_.size(); ++i) {
        Trigger& trigger = triggers_[i];
        if (trigger.active && StatusConditionMet(trigger)) {
            trigger.active = false;
            Raise(kMsgStatusTrigger, static_cast<int>(i) + 1);
        }
    }
}

void ComPortBase::OutputChanged() {
    CheckBufferTriggers();
}

void ComPortBase::ModemLinesChanged(std::uint32_t changedLines) {
    for (std::size_t i = 0; i < triggers_.size(); ++i) {
        Trigger& trigger = triggers_[i];
        if (trigger.active && trigger.kind == Kind::ModemStatus &&
            (trigger.value & changedLines) != 0) {
            trigger.active = false;
            Raise(kMsgStatusTrigger, static_cast<int>(i) + 1);
        }
    }
}

void ComPortBase::DataArrived() {
    if (dataTrigger_) {
        Raise(kMsgDataAvailable, kDataTriggerHandle);
    }
}

void ComPortBase::Raise(std::uint32_t message, int handle) {
    // One pending data event stands for any number of arrived bytes.
    const bool duplicateData = message == kMsgDataAvailable &&
                               std::any_of(held_.begin(), held_.end(), [](const HeldEvent& e) {
                                   return e.message == kMsgDataAvailable;
                               });
    if (!duplicateData) {
        held_.push_back({message, handle});
    }
    PostDispatch();
}

bool ComPortBase::SuspendEvents(bool suspend) {
    const bool old = suspended_;
    suspended_ = suspend;
    if (!suspend && !held_.empty()) {
        PostDispatch();
    }
    return old;
}

void ComPortBase::DeliverPendingEvents() {
    Dispatch();
}

void ComPortBase::PostDispatch() {
    if (dispatchPosted_ || suspended_ || !proc_) {
        return;
    }
    dispatchPosted_ = true;
    platform_.Post([this, alive = AliveToken()] {
        if (!alive.expired()) {
            dispatchPosted_ = false;
            Dispatch();
        }
    });
}

void ComPortBase::Dispatch() {
    std::weak_ptr<bool> alive = alive_;
    while (!held_.empty() && !suspended_ && proc_) {
        const HeldEvent event = held_.front();
        held_.pop_front();
        if (event.message == kMsgDataAvailable && !CharReady()) {
            continue;  // the input was read or flushed since it arrived
        }
        log_.RecordEvent(clock_.MilliSeconds(), event.message, event.handle);
        EventProc proc = proc_;  // the procedure may deregister itself
        proc(event.message, event.handle, PortParam(handle_));
        if (alive.expired()) {
            return;
        }
    }
}

void ComPortBase::WriteRecorders() {
    trace_.WriteOnClose();
    log_.WriteOnClose();
}

}  // namespace corvane::engine
