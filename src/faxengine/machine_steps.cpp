#include "faxengine/machine_steps.h"

namespace corvane::engine {

void MachineSteps::SetTimeout(std::uint32_t ticks) {
    session_.port.SetTimerTrigger(data().timeoutTimer, ticks, true);
}

void MachineSteps::ArmBufferFree(std::uint32_t freeBytes) {
    session_.port.SetStatusTrigger(data().outputFreeTrigger, freeBytes, true);
}

void MachineSteps::ArmBufferUsed() {
    session_.port.SetStatusTrigger(data().outputUsedTrigger, 0, true);
}

bool MachineSteps::BufferFreeEvent(const SessionEvent& event) const {
    return event.message == kMsgStatusTrigger && event.handle == session_.data.outputFreeTrigger;
}

bool MachineSteps::BufferUsedEvent(const SessionEvent& event) const {
    return event.message == kMsgStatusTrigger && event.handle == session_.data.outputUsedTrigger;
}

void MachineSteps::SoftwareFlow(bool on, FlowDirection direction) {
    if ((data().options & kSoftwareFlow) == 0) {
        return;
    }
    ComPort& port = session_.port;
    if (on) {
        port.SWFlowEnable(port.Settings().bufferFull, port.Settings().bufferResume, direction);
    } else {
        port.SWFlowDisable();
    }
}

bool MachineSteps::Awaited(const SessionEvent& event, bool awaited) {
    if (!event.data) {
        return false;
    }
    if (!awaited) {
        control().ResetResponse();
    }
    return awaited;
}

void MachineSteps::DiscardInput() {
    while (session_.port.CharReady() && session_.port.GetChar() >= 0) {
    }
}

}  // namespace corvane::engine
