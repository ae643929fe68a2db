// "Devices": which device each of Com1 to Com6 stands for. Each port has
// a drop-down of the devices present, "sim" for the built-in simulated
// modem, and room for any path typed in.
#pragma once

#include <QDialog>
#include <array>

#include "app/fax_settings.h"
#include "serial_devices.h"

class QComboBox;

namespace corvane::sendui {

class PortDevicesDialog : public QDialog {
    Q_OBJECT
  public:
    PortDevicesDialog(const app::PortDevices& devices, const std::vector<SerialDevice>& present,
                      QWidget* parent = nullptr);

    // Blank entries keep the device they had.
    app::PortDevices Devices() const;

    std::array<QComboBox*, app::kPortCount> choices;

  private:
    app::PortDevices initial_;
};

// Shows the dialog on the "Ports" section of "CV.INI" and writes it back
// when accepted; true when the section was written.
bool EditPortDevices(QWidget* parent);

}  // namespace corvane::sendui
