// The serial devices present on this machine, in the order the device
// choice offers them: the stable /dev/serial/by-id names first (their
// names read like the adapter's make and serial number), then ttyACM*,
// ttyUSB* and the ttyS* ports that have hardware behind them.
#pragma once

#include <string>
#include <vector>

namespace corvane::sendui {

struct SerialDevice {
    std::string path;   // what the "Ports" section stores
    std::string label;  // what the choice shows
};

// devRoot and sysRoot stand for "/dev" and "/sys/class/tty".
std::vector<SerialDevice> PresentSerialDevices(const std::string& devRoot,
                                               const std::string& sysRoot);
// In the directories set last; "/dev" and "/sys/class/tty" unless a test
// points them at its own.
std::vector<SerialDevice> PresentSerialDevices();
void SetSerialDeviceRoots(std::string devRoot, std::string sysRoot);

// A short text for the port groups: "sim" as "simulated modem", a by-id
// link by its name, any other device by its path.
std::string DeviceCaption(const std::string& device);

}  // namespace corvane::sendui
