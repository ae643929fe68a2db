// A port on a simulated serial line, driven by the scheduler: bytes the
// engine writes leave the output buffer at the line's byte rate (baud/10
// per second) and reach a far-end endpoint; what the far end sends comes
// back at the same rate into the input buffer. Flow control, line states
// and events behave as on a device, all in virtual time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>

#include "faxengine/com_port_base.h"
#include "faxengine/scheduler.h"
#include "faxengine/software_flow.h"

namespace corvane::engine {

// The computer's end of the wire, as the far end sees it.
class SimLine {
  public:
    virtual ~SimLine() = default;
    // Queued behind earlier bytes and carried at the line rate.
    virtual void SendToComputer(std::string_view bytes) = 0;
    virtual void SetDCD(bool on) = 0;
    virtual void SetCTS(bool on) = 0;
    virtual bool DTR() const = 0;
    // False also while hardware flow control holds the far end off.
    virtual bool RTS() const = 0;
    virtual Scheduler& scheduler() = 0;
};

// The far end of the wire: a scripted modem, a simulated fax modem.
class FarEndpoint {
  public:
    virtual ~FarEndpoint() = default;
    virtual void Attach(SimLine& line) = 0;
    // One byte from the computer, at the virtual time it arrives.
    virtual void ReceiveFromComputer(std::uint8_t byte) = 0;
    virtual void ControlLinesChanged(bool /*dtr*/, bool /*rts*/) {}
    virtual void BaudChanged(std::uint32_t /*baud*/) {}
};

class SimComPort : public ComPortBase, private SimLine {
  public:
    SimComPort(Scheduler& scheduler, FarEndpoint& farEnd, PortSettings settings = {});
    ~SimComPort() override;

    // 0, -2008 when already open, -1002 for a zero baud or buffer size.
    int Open();
    const PortSettings& Settings() const override { return settings_; }
    bool IsOpen() const override { return open_; }
    void Close() override;

    int PutChar(std::uint8_t byte) override;
    int PutString(std::string_view text) override;
    int PutBlock(std::span<const std::uint8_t> block) override;
    bool CharReady() override { return !in_.empty(); }
    int GetChar() override;
    std::size_t InBuffUsed() override { return in_.size(); }
    std::size_t OutBuffUsed() override { return out_.size(); }
    std::size_t OutBuffFree() override { return settings_.outSize - out_.size(); }
    void FlushInBuffer() override;
    void FlushOutBuffer() override;

    void SetModem(bool dtr, bool rts) override;
    bool CheckDCD() override { return dcd_; }
    int ChangeBaud(std::uint32_t baud) override;
    void SWFlowEnable(std::size_t bufferFull, std::size_t bufferResume,
                      FlowDirection direction) override;
    void SWFlowDisable() override;

    // Bytes lost because they arrived at a full input buffer.
    std::size_t Overruns() const { return overruns_; }
    bool DTRLine() const { return dtr_; }
    bool RTSLine() const { return RTS(); }

  protected:
    void ArmTimer(int handle, unsigned generation, std::uint32_t milliseconds) override;

  private:
    // SimLine
    void SendToComputer(std::string_view bytes) override;
    void SetDCD(bool on) override;
    void SetCTS(bool on) override;
    bool DTR() const override { return dtr_; }
    bool RTS() const override { return rts_ && !rtsHeld_; }
    Scheduler& scheduler() override { return scheduler_; }

    Micros ByteTime() const;
    void StartTransmitter();
    void StartReceiver();
    void Arrive(std::uint8_t byte);
    void CheckInputMarks();
    void SendFlowByte(std::uint8_t byte);
    void ReportLines();

    Scheduler& scheduler_;
    FarEndpoint& farEnd_;
    PortSettings settings_;
    bool open_ = false;
    std::deque<std::uint8_t> in_;
    std::deque<std::uint8_t> out_;
    std::deque<std::uint8_t> wire_;  // from the far end, not yet arrived
    bool transmitting_ = false;
    bool receiving_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    bool rtsHeld_ = false;  // hardware flow control holds the far end off
    bool dcd_ = false;
    bool cts_ = true;
    SoftwareFlow swFlow_;
    std::size_t overruns_ = 0;
};

}  // namespace corvane::engine
