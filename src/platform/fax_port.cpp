#include "platform/fax_port.h"

#include <set>

#include "faxengine/sim_port.h"
#include "platform/device_port.h"
#include "platform/qt_platform.h"
#include "platform/wall_clock_driver.h"
#include "simmodem/demo_line.h"

namespace corvane::platform {

namespace {

constexpr int kAlreadyOpen = -2008;

class DeviceFaxPort : public FaxPort {
  public:
    DeviceFaxPort(const std::string& device, const engine::PortSettings& settings)
        : port_(platform_, platform_, device, settings) {}

    int Open() override { return port_.Open(); }
    engine::ComPort& Port() override { return port_; }
    const engine::Clock& Clock() const override { return platform_; }
    engine::Platform& Platform() override { return platform_; }
    const std::string& Device() const override { return port_.Device(); }

  private:
    QtPlatform platform_;
    DevicePort port_;
};

// The ComN numbers whose simulated modem is open, so that a second opening
// in this program is refused as it is for a device.
std::set<int>& OpenSimulatedPorts() {
    static std::set<int> open;
    return open;
}

}  // namespace

// The simulated port, which gives up its ComN and stops the demo callers
// when it closes.
class SimulatedFaxPort::LinePort : public engine::SimComPort {
  public:
    LinePort(engine::Scheduler& scheduler, simmodem::DemoLine& line,
             const engine::PortSettings& settings)
        : SimComPort(scheduler, line.Modem(), settings), line_(line) {}
    ~LinePort() override { LinePort::Close(); }

    int OpenOnce(int callEverySeconds) {
        if (OpenSimulatedPorts().count(Settings().comNumber) > 0) {
            return kAlreadyOpen;
        }
        if (const int opened = SimComPort::Open(); opened != 0) {
            return opened;
        }
        OpenSimulatedPorts().insert(Settings().comNumber);
        line_.CallEvery(engine::Seconds(static_cast<std::uint64_t>(callEverySeconds)));
        return 0;
    }

    void Close() override {
        if (!IsOpen()) {
            return;
        }
        line_.CallEvery(0);
        SimComPort::Close();
        OpenSimulatedPorts().erase(Settings().comNumber);
    }

  private:
    simmodem::DemoLine& line_;
};

SimulatedFaxPort::SimulatedFaxPort(const engine::PortSettings& settings,
                                   const FaxPortOptions& options)
    : options_(options),
      line_(std::make_unique<simmodem::DemoLine>(scheduler_)),
      port_(std::make_unique<LinePort>(scheduler_, *line_, settings)),
      driver_(std::make_unique<WallClockDriver>(scheduler_)) {}

SimulatedFaxPort::~SimulatedFaxPort() {
    driver_.reset();
    port_.reset();
    line_.reset();
}

int SimulatedFaxPort::Open() {
    return port_->OpenOnce(options_.simCallEverySeconds > 0 ? options_.simCallEverySeconds : 0);
}

engine::ComPort& SimulatedFaxPort::Port() {
    return *port_;
}

std::unique_ptr<FaxPort> MakeFaxPort(const std::string& device,
                                     const engine::PortSettings& settings,
                                     const FaxPortOptions& options) {
    if (device == kSimulatedDevice) {
        return std::make_unique<SimulatedFaxPort>(settings, options);
    }
    return std::make_unique<DeviceFaxPort>(device, settings);
}

}  // namespace corvane::platform
