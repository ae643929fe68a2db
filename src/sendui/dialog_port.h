// The serial port a dialog owns: one of Com1 to Com6, opened on the device
// the "Ports" section names for it (or the simulated modem), with its
// trace and dispatch log written when it closes. The clock and platform
// a session on it must use come with it, since the simulated modem keeps
// its own time.
#pragma once

#include <QString>
#include <memory>
#include <string>

#include "faxengine/com_port.h"
#include "faxengine/engine_platform.h"

namespace corvane::platform {
class FaxPort;
}

namespace corvane::sendui {

class DialogPort {
  public:
    DialogPort();
    ~DialogPort();
    DialogPort(const DialogPort&) = delete;
    DialogPort& operator=(const DialogPort&) = delete;

    // The port opens on the device the "Ports" section names for it.
    void SetComNumber(int number) {
        comNumber_ = number;
        deviceOverride_.clear();
    }
    int ComNumber() const { return comNumber_; }
    // The port opens on this device instead, until the number is set again.
    void SetDevice(std::string device) { deviceOverride_ = std::move(device); }

    // 0 or the code the open failed with (-2001, -2005, -2008, a file
    // error code ...).
    int Open();
    // Opens and turns a failure into the user's message.
    bool OpenReporting(QString& message);
    bool IsOpen() const;
    // Writes the trace and the log when they are on; nothing when closed.
    void Close();

    // Valid while open.
    engine::ComPort* Port() const;
    const engine::Clock& Clock() const;
    engine::Platform& Platform() const;
    // The port object of the last opening, for tests that drive the
    // simulated modem's clock.
    platform::FaxPort* Opened() const;
    // The device the port opened on ("sim" for the simulated modem).
    const std::string& Device() const { return device_; }

    // Trace and log files for the opens that follow; both are written,
    // replacing earlier files, when the port closes.
    void SetTraceFiles(std::string traceFile, std::string logFile);
    void SetTracing(bool on) { tracing_ = on; }
    bool Tracing() const { return tracing_; }

  private:
    int comNumber_ = 1;
    std::string deviceOverride_;
    std::string device_;
    std::string traceFile_;
    std::string logFile_;
    bool tracing_ = false;
    // Kept after closing until the next opening (see Open).
    std::unique_ptr<platform::FaxPort> opened_;
};

}  // namespace corvane::sendui
