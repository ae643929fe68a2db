// A session on a simulated line whose far end keeps every byte it gets.
#pragma once

#include <string>
#include <vector>

#include "faxengine/fax_session.h"
#include "faxengine/scheduler.h"
#include "faxengine/sim_port.h"

namespace corvane::engine {

class CapturingEnd : public FarEndpoint {
  public:
    void Attach(SimLine& line) override { line_ = &line; }
    void ReceiveFromComputer(std::uint8_t byte) override { received.push_back(byte); }
    void Send(std::string_view bytes) { line_->SendToComputer(bytes); }

    std::vector<std::uint8_t> received;

  private:
    SimLine* line_ = nullptr;
};

struct SessionRig {
    SessionRig() {
        port.Open();
        port.EnableDataTrigger();
    }
    // Everything put so far, once it has crossed the line.
    const std::vector<std::uint8_t>& Sent() {
        scheduler.RunFor(Seconds(10));
        return far.received;
    }
    // Hands bytes to the frame collector as if they had arrived.
    void Collect(const std::string& bytes) {
        for (const char c : bytes) {
            session.modem.control.CollectResponse(static_cast<std::uint8_t>(c));
        }
    }

    Scheduler scheduler;
    CapturingEnd far;
    SimComPort port{scheduler, far};
    FaxSession session{port, scheduler, scheduler};
};

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (const int v : values) {
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return bytes;
}

}  // namespace corvane::engine
