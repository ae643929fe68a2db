#include "simmodem/line_transmitter.h"

#include <algorithm>

#include "simmodem/hdlc.h"

namespace corvane::simmodem {

namespace {
// Flags between frames and the FCS: one flag each side.
constexpr std::size_t kFrameOverheadBytes = 2 + 1;
}  // namespace

LineTransmitter::LineTransmitter(Scheduler& scheduler, LineParty& owner)
    : scheduler_(scheduler), owner_(owner) {}

LineTransmitter::~LineTransmitter() = default;

void LineTransmitter::Queue(engine::Micros duration, LineSignal signal, std::size_t dataBytes) {
    busyUntil_ = std::max(busyUntil_, scheduler_.Now()) + duration;
    queue_.push_back({busyUntil_, std::move(signal), dataBytes});
    pendingBytes_ += dataBytes;
    Pump();
}

void LineTransmitter::Pump() {
    if (pumpArmed_ || queue_.empty()) {
        return;
    }
    pumpArmed_ = true;
    scheduler_.At(queue_.front().dueAt, [this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) {
            return;
        }
        pumpArmed_ = false;
        const engine::Micros now = scheduler_.Now();
        bool drained = false;
        while (!queue_.empty() && queue_.front().dueAt <= now) {
            Item item = std::move(queue_.front());
            queue_.pop_front();
            pendingBytes_ -= item.dataBytes;
            drained = drained || item.dataBytes > 0;
            if (call_) {
                call_->Send(owner_, std::move(item.signal));
            }
        }
        Pump();
        if (drained && onDrain_) {
            onDrain_();
        }
        if (queue_.empty()) {
            std::vector<std::function<void()>> actions;
            actions.swap(idleActions_);
            for (auto& action : actions) {
                action();
            }
        }
    });
}

void LineTransmitter::StartCarrier(const Modulation& modulation) {
    modulation_ = modulation;
    carrierOn_ = true;
    Queue(0, {LineSignal::Kind::CarrierOn, modulation, {}});
    busyUntil_ += StartUpTime(modulation);
}

void LineTransmitter::SendFrame(std::span<const std::uint8_t> frame) {
    LineSignal signal{LineSignal::Kind::Frame, modulation_, {frame.begin(), frame.end()}};
    AppendFrameCheck(signal.bytes);
    const std::size_t onLine = frame.size() + kFrameOverheadBytes;
    Queue(ByteTime(modulation_) * onLine, std::move(signal));
}

void LineTransmitter::SendData(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) {
        Queue(ByteTime(modulation_), {LineSignal::Kind::Data, modulation_, {byte}}, 1);
    }
}

void LineTransmitter::StopCarrier() {
    if (!carrierOn_) {
        return;
    }
    carrierOn_ = false;
    Queue(0, {LineSignal::Kind::CarrierOff, modulation_, {}});
}

void LineTransmitter::Abort() {
    queue_.clear();
    pendingBytes_ = 0;
    busyUntil_ = scheduler_.Now();
    if (carrierOn_) {
        carrierOn_ = false;
        if (call_) {
            call_->Send(owner_, {LineSignal::Kind::CarrierOff, modulation_, {}});
        }
    }
    idleActions_.clear();
}

bool LineTransmitter::Starved() const {
    return carrierOn_ && queue_.empty() && busyUntil_ < scheduler_.Now();
}

void LineTransmitter::WhenIdle(std::function<void()> action) {
    if (queue_.empty()) {
        scheduler_.After(0, [action = std::move(action), alive = std::weak_ptr<bool>(alive_)] {
            if (!alive.expired()) {
                action();
            }
        });
        return;
    }
    idleActions_.push_back(std::move(action));
}

}  // namespace corvane::simmodem
