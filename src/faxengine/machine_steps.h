// What the fax machines do with their session besides their own states:
// reach its records, arm the timeout timer and the output-buffer triggers,
// tell those triggers' events, switch software flow around page data, and
// wait for an awaited reply line.
#pragma once

#include <cstdint>

#include "faxengine/fax_session.h"
#include "faxengine/session_driver.h"

namespace corvane::engine {

class MachineSteps {
  protected:
    explicit MachineSteps(FaxSession& session) : session_(session) {}

    FaxSessionData& data() { return session_.data; }
    FaxModemData& modem() { return session_.modem; }
    ModemControl& control() { return session_.modem.control; }
    SessionParameters& params() { return session_.modem.params; }
    bool Class1() const { return session_.data.faxClass == FaxClass::fcClass1; }
    bool Class20() const { return session_.data.faxClass == FaxClass::fcClass2_0; }

    void SetTimeout(std::uint32_t ticks);
    void ArmBufferFree(std::uint32_t freeBytes);
    // Fires once the output buffer is empty.
    void ArmBufferUsed();
    bool BufferFreeEvent(const SessionEvent& event) const;
    bool BufferUsedEvent(const SessionEvent& event) const;
    // Only when the session's options ask for it.
    void SoftwareFlow(bool on, FlowDirection direction = FlowDirection::Transmit);
    // A reply state's line: true when it is the awaited one; others are dropped.
    bool Awaited(const SessionEvent& event, bool awaited);
    // Drops whatever waits in the input buffer.
    void DiscardInput();

  private:
    FaxSession& session_;
};

}  // namespace corvane::engine
