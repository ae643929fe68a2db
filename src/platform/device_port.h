// The port on a terminal device (a serial line or a pseudo-terminal),
// driven by the Qt event loop: non-blocking reads and writes through
// socket notifiers into 8192-byte buffers, RTS/CTS flow in the driver,
// an exclusive lock against other programs, and the modem lines. A
// pseudo-terminal has no modem lines: CTS reads on, DCD off, and DTR and
// RTS changes are ignored.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <deque>
#include <memory>
#include <string>

#include "faxengine/com_port_base.h"
#include "faxengine/software_flow.h"

namespace corvane::platform {

class DevicePort : public engine::ComPortBase {
  public:
    DevicePort(const engine::Clock& clock, engine::Platform& platform, std::string device,
               engine::PortSettings settings = {});
    ~DevicePort() override;

    // 0; -2001 for a missing device, -2005 when another program holds
    // it, -2008 when it is already open in this program, -1002 for
    // settings the device cannot take, or the file error code.
    int Open();
    const std::string& Device() const { return device_; }
    // False for a pseudo-terminal.
    bool HasModemLines() const { return hasLines_; }
    // The device went away under the open port (the far side of a pty closed).
    bool HungUp() const { return hungUp_; }

    const engine::PortSettings& Settings() const override { return settings_; }
    bool IsOpen() const override { return fd_ >= 0; }
    void Close() override;

    int PutChar(std::uint8_t byte) override;
    int PutString(std::string_view text) override;
    int PutBlock(std::span<const std::uint8_t> block) override;
    bool CharReady() override;
    int GetChar() override;
    std::size_t InBuffUsed() override;
    std::size_t OutBuffUsed() override;
    std::size_t OutBuffFree() override;
    void FlushInBuffer() override;
    void FlushOutBuffer() override;

    void SetModem(bool dtr, bool rts) override;
    bool CheckDCD() override;
    int ChangeBaud(std::uint32_t baud) override;
    void SWFlowEnable(std::size_t bufferFull, std::size_t bufferResume,
                      engine::FlowDirection direction) override;
    void SWFlowDisable() override;

  protected:
    void ArmTimer(int handle, unsigned generation, std::uint32_t milliseconds) override;

  private:
    // Moves bytes between the device and the buffers as far as both allow.
    void Pump();
    void ReadDevice();
    void WriteDevice();
    // False for a flow character the port consumed.
    bool Accept(std::uint8_t byte);
    void CheckInputMarks();
    void WriteFlowByte(std::uint8_t byte);
    void UpdateNotifiers();
    std::uint32_t ReadLines();
    void PollLines();
    void Release();

    std::string device_;
    engine::PortSettings settings_;
    int fd_ = -1;
    unsigned long deviceId_ = 0;
    bool hasLines_ = true;
    std::uint32_t lastLines_ = 0;
    std::deque<std::uint8_t> in_;
    std::deque<std::uint8_t> out_;
    engine::SoftwareFlow swFlow_;
    bool inPump_ = false;
    bool hungUp_ = false;
    // Owns the notifiers and timers; they go with it.
    std::unique_ptr<QObject> context_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QTimer* lineTimer_ = nullptr;
};

}  // namespace corvane::platform
