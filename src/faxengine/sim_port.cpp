#include "faxengine/sim_port.h"

#include "faxengine/engine_codes.h"

namespace corvane::engine {

SimComPort::SimComPort(Scheduler& scheduler, FarEndpoint& farEnd, PortSettings settings)
    : ComPortBase(scheduler, scheduler),
      scheduler_(scheduler),
      farEnd_(farEnd),
      settings_(settings) {
    farEnd_.Attach(*this);
}

SimComPort::~SimComPort() = default;

int SimComPort::Open() {
    if (open_) {
        return ecAlreadyOpen;
    }
    if (settings_.baud == 0 || settings_.inSize == 0 || settings_.outSize == 0) {
        return ecBadArgument;
    }
    open_ = true;
    SetModem(true, true);
    return 0;
}

void SimComPort::Close() {
    if (!open_) {
        return;
    }
    WriteRecorders();
    in_.clear();
    out_.clear();
    wire_.clear();
    SetModem(false, false);
    open_ = false;
}

Micros SimComPort::ByteTime() const {
    // Ten bits a byte: start, eight data, stop.
    return Seconds(10) / settings_.baud;
}

int SimComPort::PutChar(std::uint8_t byte) {
    return PutBlock({&byte, 1});
}

int SimComPort::PutString(std::string_view text) {
    return PutBlock({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

int SimComPort::PutBlock(std::span<const std::uint8_t> block) {
    if (!open_) {
        return ecPortNotOpen;
    }
    if (block.size() > OutBuffFree()) {
        return ecOutputBufferTooSmall;
    }
    for (std::uint8_t byte : block) {
        out_.push_back(byte);
        NoteOutput(byte);
    }
    OutputChanged();
    StartTransmitter();
    return 0;
}

void SimComPort::StartTransmitter() {
    if (transmitting_ || out_.empty() || swFlow_.OutputPaused() ||
        (settings_.hwFlowRequireCTS && !cts_)) {
        return;
    }
    transmitting_ = true;
    const std::uint8_t byte = out_.front();
    out_.pop_front();
    OutputChanged();
    scheduler_.After(ByteTime(), [this, byte, alive = AliveToken()] {
        if (alive.expired()) {
            return;
        }
        transmitting_ = false;
        if (open_) {
            farEnd_.ReceiveFromComputer(byte);
            StartTransmitter();
        }
    });
}

void SimComPort::SendToComputer(std::string_view bytes) {
    if (!open_) {
        return;
    }
    wire_.insert(wire_.end(), bytes.begin(), bytes.end());
    StartReceiver();
}

void SimComPort::StartReceiver() {
    if (receiving_ || wire_.empty()) {
        return;
    }
    receiving_ = true;
    scheduler_.After(ByteTime(), [this, alive = AliveToken()] {
        if (alive.expired()) {
            return;
        }
        receiving_ = false;
        if (!wire_.empty()) {
            const std::uint8_t byte = wire_.front();
            wire_.pop_front();
            Arrive(byte);
        }
        StartReceiver();
    });
}

void SimComPort::Arrive(std::uint8_t byte) {
    if (swFlow_.TakeReceived(byte)) {
        StartTransmitter();
        return;
    }
    if (in_.size() >= settings_.inSize) {
        ++overruns_;
        Log().Note(clock().MilliSeconds(), "input overrun");
        return;
    }
    in_.push_back(byte);
    NoteInput(byte);
    CheckInputMarks();
    DataArrived();
}

// Tells the far end to stop or go on as the input fills and drains.
void SimComPort::CheckInputMarks() {
    const std::size_t used = in_.size();
    if (const std::optional<std::uint8_t> flow = swFlow_.InputChanged(used)) {
        SendFlowByte(*flow);
    }
    if (settings_.hwFlowUseRTS) {
        const bool wasHeld = rtsHeld_;
        if (!rtsHeld_ && used >= settings_.bufferFull) {
            rtsHeld_ = true;
        } else if (rtsHeld_ && used <= settings_.bufferResume) {
            rtsHeld_ = false;
        }
        if (wasHeld != rtsHeld_) {
            ReportLines();
        }
    }
}

// Flow characters go out ahead of the output buffer, as a UART sends them.
void SimComPort::SendFlowByte(std::uint8_t byte) {
    NoteOutput(byte);
    scheduler_.After(ByteTime(), [this, byte, alive = AliveToken()] {
        if (!alive.expired() && open_) {
            farEnd_.ReceiveFromComputer(byte);
        }
    });
}

int SimComPort::GetChar() {
    if (in_.empty()) {
        return ecBufferIsEmpty;
    }
    const std::uint8_t byte = in_.front();
    in_.pop_front();
    CheckInputMarks();
    return byte;
}

void SimComPort::FlushInBuffer() {
    in_.clear();
    CheckInputMarks();
}

void SimComPort::FlushOutBuffer() {
    out_.clear();
    OutputChanged();
}

void SimComPort::SetModem(bool dtr, bool rts) {
    if (dtr == dtr_ && rts == rts_) {
        return;
    }
    dtr_ = dtr;
    rts_ = rts;
    ReportLines();
}

void SimComPort::ReportLines() {
    farEnd_.ControlLinesChanged(dtr_, RTS());
}

void SimComPort::SetDCD(bool on) {
    if (on != dcd_) {
        dcd_ = on;
        ModemLinesChanged(kLineDCD);
    }
}

void SimComPort::SetCTS(bool on) {
    if (on != cts_) {
        cts_ = on;
        ModemLinesChanged(kLineCTS);
        StartTransmitter();
    }
}

int SimComPort::ChangeBaud(std::uint32_t baud) {
    if (baud == 0) {
        return ecBadArgument;
    }
    settings_.baud = baud;
    farEnd_.BaudChanged(baud);
    return 0;
}

void SimComPort::SWFlowEnable(std::size_t bufferFull, std::size_t bufferResume,
                              FlowDirection direction) {
    swFlow_.Enable(bufferFull, bufferResume, direction);
    CheckInputMarks();
}

void SimComPort::SWFlowDisable() {
    if (swFlow_.Disable()) {
        StartTransmitter();
    }
}

void SimComPort::ArmTimer(int handle, unsigned generation, std::uint32_t milliseconds) {
    scheduler_.After(Milliseconds(milliseconds), [this, handle, generation, alive = AliveToken()] {
        if (!alive.expired()) {
            TimerDue(handle, generation);
        }
    });
}

}  // namespace corvane::engine
