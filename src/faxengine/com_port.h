// The serial port as the fax engine uses it. The engine addresses a port
// through this interface only; the device port, the simulated port and the
// scripted test modem all stand behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "faxengine/port_trace.h"

namespace corvane::engine {

// Event messages handed to the event procedure.
inline constexpr std::uint32_t kMsgDataAvailable = 0x7E01;
inline constexpr std::uint32_t kMsgTimerTrigger = 0x7E02;
inline constexpr std::uint32_t kMsgStatusTrigger = 0x7E03;

// The data-available notification always has this handle.
inline constexpr int kDataTriggerHandle = 0;

enum class StatusTriggerKind {
    ModemStatus,  // a watched modem-status line changed
    OutputFree,   // free output bytes >= the set value
    OutputUsed,   // used output bytes <= the set value
};

// Modem-status lines, as masks for a modem-status trigger.
inline constexpr std::uint32_t kLineCTS = 0x10;
inline constexpr std::uint32_t kLineDSR = 0x20;
inline constexpr std::uint32_t kLineRI = 0x40;
inline constexpr std::uint32_t kLineDCD = 0x80;

enum class FlowDirection { Transmit, Receive, Both };

enum class Parity { None, Odd, Even, Mark, Space };

// The line settings and buffers a port is opened with; the defaults are
// those the fax components set.
struct PortSettings {
    int comNumber = 1;
    std::uint32_t baud = 19200;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;
    std::size_t inSize = 8192;
    std::size_t outSize = 8192;
    bool hwFlowUseRTS = true;      // drop RTS while the input is full
    bool hwFlowRequireCTS = true;  // hold output while CTS is off
    std::size_t bufferFull = 7372;
    std::size_t bufferResume = 819;
};

// The third argument carries the port handle in its high word.
using EventProc =
    std::function<void(std::uint32_t message, int triggerHandle, std::uint32_t portParam)>;

constexpr std::uint32_t PortParam(int portHandle) {
    return static_cast<std::uint32_t>(portHandle & 0xFFFF) << 16;
}
constexpr int PortHandleOf(std::uint32_t portParam) {
    return static_cast<int>(portParam >> 16);
}

class ComPort {
  public:
    virtual ~ComPort() = default;

    virtual int Handle() const = 0;
    // The current settings; the baud follows ChangeBaud.
    virtual const PortSettings& Settings() const = 0;
    virtual bool IsOpen() const = 0;
    // Writes the trace and the dispatch log, then releases the device.
    virtual void Close() = 0;

    // 0 or a negative code. A block larger than the free output space
    // fails with -3006 and sends nothing.
    virtual int PutChar(std::uint8_t byte) = 0;
    virtual int PutString(std::string_view text) = 0;
    virtual int PutBlock(std::span<const std::uint8_t> block) = 0;

    virtual bool CharReady() = 0;
    // The next received byte, or -3004 when none is waiting.
    virtual int GetChar() = 0;
    virtual std::size_t InBuffUsed() = 0;
    virtual std::size_t OutBuffUsed() = 0;
    virtual std::size_t OutBuffFree() = 0;
    virtual void FlushInBuffer() = 0;
    virtual void FlushOutBuffer() = 0;

    virtual void SetModem(bool dtr, bool rts) = 0;
    virtual bool CheckDCD() = 0;
    std::uint32_t Baud() const { return Settings().baud; }
    // Keeps parity, data and stop bits.
    virtual int ChangeBaud(std::uint32_t baud) = 0;

    // Transmit: pause on XOFF (19) from the modem, resume on XON (17).
    // Receive: send XOFF when the input reaches bufferFull, XON at bufferResume.
    virtual void SWFlowEnable(std::size_t bufferFull, std::size_t bufferResume,
                              FlowDirection direction) = 0;
    virtual void SWFlowDisable() = 0;

    // One event procedure per port; a second registration fails with -5003.
    virtual int RegisterEventProc(EventProc proc) = 0;
    virtual void DeregisterEventProc() = 0;

    // Triggers. Add functions return a handle (> 0) or -5001.
    virtual int EnableDataTrigger() = 0;
    virtual void DisableDataTrigger() = 0;
    virtual int AddTimerTrigger() = 0;
    virtual int SetTimerTrigger(int handle, std::uint32_t ticks, bool active) = 0;
    virtual int AddStatusTrigger(StatusTriggerKind kind) = 0;
    // value: a byte count, or a mask of kLine* for a modem-status trigger.
    virtual int SetStatusTrigger(int handle, std::uint32_t value, bool active) = 0;
    virtual int RemoveTrigger(int handle) = 0;

    // Per-port flag: a fax session is running on it.
    virtual bool FaxRunning() const = 0;
    virtual void SetFaxRunning(bool running) = 0;
    // The session record kept with the port.
    virtual void* UserData() const = 0;
    virtual void SetUserData(void* data) = 0;

    // Returns the previous setting. Events raised meanwhile are held.
    virtual bool SuspendEvents(bool suspend) = 0;
    // Hands held events to the event procedure now (unless suspended).
    virtual void DeliverPendingEvents() = 0;

    virtual PortTrace& Trace() = 0;
    virtual DispatchLog& Log() = 0;
};

}  // namespace corvane::engine
