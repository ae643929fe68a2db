// Paces what one party puts on the line: a carrier starts with its training
// (or the V.21 flag preamble), frames and data bytes follow at the carrier's
// bit rate, and the carrier stops after the last of them. Each signal
// reaches the call when its last bit has left.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "simmodem/phone_network.h"

namespace corvane::simmodem {

class LineTransmitter {
  public:
    LineTransmitter(Scheduler& scheduler, LineParty& owner);
    ~LineTransmitter();

    void SetCall(std::shared_ptr<Call> call) { call_ = std::move(call); }

    void StartCarrier(const Modulation& modulation);
    // frame: address, control, FCF, information; the FCS is added here.
    void SendFrame(std::span<const std::uint8_t> frame);
    void SendData(std::span<const std::uint8_t> bytes);
    void StopCarrier();
    // Drops everything not yet sent and turns the carrier off now.
    void Abort();

    bool CarrierOn() const { return carrierOn_; }
    // Data bytes queued but not yet on the line.
    std::size_t PendingBytes() const { return pendingBytes_; }
    // True once the line has run idle while the carrier stayed on.
    bool Starved() const;
    // Runs once everything queued so far has left (at once when idle).
    void WhenIdle(std::function<void()> action);
    // Called after each data byte leaves (for flow control).
    void OnDrain(std::function<void()> action) { onDrain_ = std::move(action); }

  private:
    struct Item {
        engine::Micros dueAt;
        LineSignal signal;
        std::size_t dataBytes;
    };

    void Queue(engine::Micros duration, LineSignal signal, std::size_t dataBytes = 0);
    void Pump();

    Scheduler& scheduler_;
    LineParty& owner_;
    std::shared_ptr<Call> call_;
    std::deque<Item> queue_;
    std::vector<std::function<void()>> idleActions_;
    std::function<void()> onDrain_;
    engine::Micros busyUntil_ = 0;
    Modulation modulation_ = kV21;
    bool carrierOn_ = false;
    bool pumpArmed_ = false;
    std::size_t pendingBytes_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::simmodem
