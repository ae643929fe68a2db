// The port behind a ComN as the user mapped it (section "Ports" of
// "CV.INI"): a terminal device, or the built-in simulated modem on its
// simulated line (device "sim"). A fax session on the port uses the
// port's own clock and platform: the wall clock and the Qt event loop for
// a device, the simulated line's scheduler (kept in step with the wall
// clock) for the simulated modem.
#pragma once

#include <memory>
#include <string>

#include "faxengine/com_port.h"
#include "faxengine/engine_platform.h"
#include "faxengine/scheduler.h"

namespace corvane::simmodem {
class DemoLine;
}

namespace corvane::platform {

class WallClockDriver;

inline constexpr char kSimulatedDevice[] = "sim";

class FaxPort {
  public:
    virtual ~FaxPort() = default;

    // 0, or -2001 for a missing device, -2005 when another program holds
    // it, -2008 when this program has it open already, or another port
    // error code.
    virtual int Open() = 0;
    virtual engine::ComPort& Port() = 0;
    virtual const engine::Clock& Clock() const = 0;
    virtual engine::Platform& Platform() = 0;
    virtual const std::string& Device() const = 0;
    int ComNumber() { return Port().Settings().comNumber; }
};

struct FaxPortOptions {
    // The simulated modem gets a demo caller this many seconds after the
    // port opens and again as long after each call; 0 for none.
    int simCallEverySeconds = 0;
};

std::unique_ptr<FaxPort> MakeFaxPort(const std::string& device,
                                     const engine::PortSettings& settings,
                                     const FaxPortOptions& options = {});

// The simulated modem's port, for those who want to reach its line.
class SimulatedFaxPort : public FaxPort {
  public:
    SimulatedFaxPort(const engine::PortSettings& settings, const FaxPortOptions& options);
    ~SimulatedFaxPort() override;

    int Open() override;
    engine::ComPort& Port() override;
    const engine::Clock& Clock() const override { return scheduler_; }
    engine::Platform& Platform() override { return scheduler_; }
    const std::string& Device() const override { return device_; }

    engine::Scheduler& Scheduler() { return scheduler_; }
    simmodem::DemoLine& Line() { return *line_; }
    WallClockDriver& Driver() { return *driver_; }

  private:
    class LinePort;

    const std::string device_ = kSimulatedDevice;
    FaxPortOptions options_;
    engine::Scheduler scheduler_;
    std::unique_ptr<simmodem::DemoLine> line_;
    std::unique_ptr<LinePort> port_;
    std::unique_ptr<WallClockDriver> driver_;
};

}  // namespace corvane::platform
