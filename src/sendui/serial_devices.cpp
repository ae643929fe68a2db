#include "serial_devices.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/fax_port.h"

namespace corvane::sendui {

namespace {

namespace fs = std::filesystem;

// Names sort with their numbers in numeric order: ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto digits = [](const std::string& s) {
        const auto at = s.find_last_not_of("0123456789");
        return at == std::string::npos ? 0 : s.size() - at - 1;
    };
    const std::size_t da = digits(a), db = digits(b);
    const std::string sa = a.substr(0, a.size() - da), sb = b.substr(0, b.size() - db);
    if (sa != sb || da == 0 || db == 0 || da > 9 || db > 9)
        return a < b;
    return std::stoul(a.substr(a.size() - da)) < std::stoul(b.substr(b.size() - db));
}

std::vector<std::string> Entries(const fs::path& directory, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(prefix))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

// The kernel lists every possible 8250 port; those without a UART report
// type 0. A port whose type cannot be read is offered.
bool HasUart(const std::string& sysRoot, const std::string& name) {
    std::ifstream type(fs::path(sysRoot) / name / "type");
    int value = -1;
    return !(type >> value) || value != 0;
}

struct Roots {
    std::string dev = "/dev";
    std::string sys = "/sys/class/tty";
};

Roots& DeviceRoots() {
    static Roots roots;
    return roots;
}

}  // namespace

std::vector<SerialDevice> PresentSerialDevices() {
    return PresentSerialDevices(DeviceRoots().dev, DeviceRoots().sys);
}

void SetSerialDeviceRoots(std::string devRoot, std::string sysRoot) {
    DeviceRoots() = {std::move(devRoot), std::move(sysRoot)};
}

std::vector<SerialDevice> PresentSerialDevices(const std::string& devRoot,
                                               const std::string& sysRoot) {
    std::vector<SerialDevice> devices;
    const fs::path byId = fs::path(devRoot) / "serial" / "by-id";
    for (const std::string& name : Entries(byId, ""))
        devices.push_back({(byId / name).string(), name});
    for (const char* prefix : {"ttyACM", "ttyUSB", "ttyS"}) {
        for (const std::string& name : Entries(devRoot, prefix)) {
            if (std::string_view(prefix) == "ttyS" && !HasUart(sysRoot, name))
                continue;
            const std::string path = (fs::path(devRoot) / name).string();
            devices.push_back({path, path});
        }
    }
    return devices;
}

std::string DeviceCaption(const std::string& device) {
    if (device == platform::kSimulatedDevice)
        return "simulated modem";
    const std::string byId = "/serial/by-id/";
    if (const auto at = device.find(byId); at != std::string::npos)
        return device.substr(at + byId.size());
    return device;
}

}  // namespace corvane::sendui
