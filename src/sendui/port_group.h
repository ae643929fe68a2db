// The "Port" group of the send dialog and Preferences: Com1 to Com6 in two
// columns, each with the device it stands for beside it, and a "Devices…"
// button that changes the mapping.
#pragma once

#include <QLabel>
#include <array>

#include "app/fax_settings.h"
#include "radio_group.h"

class QPushButton;

namespace corvane::sendui {

class PortGroup : public RadioGroup {
    Q_OBJECT
  public:
    PortGroup(const QString& hint, QWidget* parent = nullptr);

    // Reads the "Ports" section again and shows it.
    void Reload();
    const app::PortDevices& Devices() const { return devices_; }

    QPushButton* DevicesButton;
    std::array<QLabel*, app::kPortCount> deviceLabels;

  private:
    app::PortDevices devices_;
};

}  // namespace corvane::sendui
