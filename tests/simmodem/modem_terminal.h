// The computer's side of a simulated modem in tests: a SimComPort that
// collects everything the modem sends and waits, in virtual time, for text
// to arrive.
#pragma once

#include <string>

#include "faxengine/sim_port.h"

namespace corvane::simmodem::testing {

class ModemTerminal {
  public:
    ModemTerminal(engine::Scheduler& scheduler, engine::FarEndpoint& modem,
                  engine::PortSettings settings = {})
        : scheduler_(scheduler), port_(scheduler, modem, settings) {
        port_.Open();
    }

    void Type(const std::string& text) { port_.PutString(text); }
    void Command(const std::string& command) { Type(command + "\r"); }

    // Runs the scheduler until text arrives after what earlier waits took;
    // true when it did before the limit. Consumes up to the end of text.
    bool WaitFor(const std::string& text, engine::Micros within = engine::Seconds(90)) {
        std::size_t found = std::string::npos;
        const bool ok = scheduler_.RunUntil(
            [&] {
                Drain();
                found = received_.find(text, consumed_);
                return found != std::string::npos;
            },
            scheduler_.Now() + within);
        if (ok)
            consumed_ = found + text.size();
        return ok;
    }
    // What arrived since the last successful wait, up to and including text.
    std::string Until(const std::string& text, engine::Micros within = engine::Seconds(90)) {
        const std::size_t from = consumed_;
        if (!WaitFor(text, within))
            return "<timeout; got: " + received_.substr(from) + ">";
        return received_.substr(from, consumed_ - from);
    }
    // Without running the scheduler: whether text has arrived (then consumed up to its end).
    bool Seen(const std::string& text) {
        Drain();
        const std::size_t found = received_.find(text, consumed_);
        if (found == std::string::npos)
            return false;
        consumed_ = found + text.size();
        return true;
    }
    // Everything received so far.
    const std::string& All() {
        Drain();
        return received_;
    }
    std::string Unread() {
        Drain();
        return received_.substr(consumed_);
    }

    engine::SimComPort& port() { return port_; }

  private:
    void Drain() {
        while (port_.CharReady()) received_ += static_cast<char>(port_.GetChar());
    }

    engine::Scheduler& scheduler_;
    engine::SimComPort port_;
    std::string received_;
    std::size_t consumed_ = 0;
};

}  // namespace corvane::simmodem::testing
