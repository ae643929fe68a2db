// "Find Modem": tries Com 1 to Com 6 in turn on the caller's port and
// reports on which a modem answers "OK" to "AT"; then tries the serial
// devices no Com port stands for, so a modem there can be given a port.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/fax_settings.h"
#include "serial_devices.h"
#include "tool_dialog.h"

class QLabel;
class QVBoxLayout;

namespace corvane::sendui {

class DialogPort;

// One port's outcome as its line shows it.
struct ProbeOutcome {
    std::string text;  // "MODEM", "Unknown", "Port does not exist", ...
    bool modem = false;
    bool inUse = false;
    bool denied = false;  // the user may not open the device
};

// Opens the port as it is set, asks for a modem and closes it again.
ProbeOutcome ProbePort(DialogPort& port);

// Present devices that no Com port stands for (compared by the file they
// resolve to).
std::vector<SerialDevice> UnmappedDevices(const app::PortDevices& mapped,
                                          const std::vector<SerialDevice>& present);

class FindModemForm : public ToolDialog {
    Q_OBJECT
  public:
    FindModemForm(DialogPort& testPort, std::vector<SerialDevice> otherDevices,
                  QWidget* parent = nullptr);

    // The search; runs once, when the dialog is first shown.
    void RunSearch();

    DialogPort& TestPort;
    // The first Com port (1 to 6) where a modem answered, or -1.
    int FoundPort = -1;
    // A device outside the six where a modem answered, when none of the
    // six has one; empty otherwise.
    std::string FoundDevice;

    QLabel* Label8;
    std::array<QLabel*, 6> PortLabels;  // Label1 .. Label6
    QLabel* Label7;

  private:
    void Work() override { RunSearch(); }
    void SearchOtherDevices(bool& denied);

    std::vector<SerialDevice> otherDevices_;
    QVBoxLayout* otherLines_;
};

}  // namespace corvane::sendui
