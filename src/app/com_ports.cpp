#include "com_ports.h"

#include "fax_settings.h"

namespace corvane::app {

std::unique_ptr<platform::FaxPort> MakeComPort(const std::string& iniPath,
                                               const engine::PortSettings& settings,
                                               bool demoCalls) {
    const PortDevices devices = LoadPortDevices(iniPath);
    const int index = settings.comNumber - 1;
    const std::string device = index >= 0 && index < kPortCount ? devices[index] : std::string();
    platform::FaxPortOptions options;
    options.simCallEverySeconds = demoCalls ? LoadSimCallEvery(iniPath) : 0;
    return platform::MakeFaxPort(device, settings, options);
}

}  // namespace corvane::app
