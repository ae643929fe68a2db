#include "port_devices_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialog_support.h"
#include "app/profile.h"
#include "app/program_directory.h"
#include "platform/fax_port.h"
#include "platform/prompts.h"

namespace corvane::sendui {

PortDevicesDialog::PortDevicesDialog(const app::PortDevices& devices,
                                     const std::vector<SerialDevice>& present, QWidget* parent)
    : QDialog(parent), initial_(devices) {
    setObjectName(QStringLiteral("PortDevicesDialog"));
    setWindowTitle(QStringLiteral("Devices"));
    auto* note = new QLabel(
        QStringLiteral("Choose the device each port stands for: a serial device of this "
                       "computer, \"sim\" for the built-in simulated modem, or type a path."),
        this);
    note->setWordWrap(true);
    auto* form = new QFormLayout;
    for (int i = 0; i < app::kPortCount; ++i) {
        auto* choice = new QComboBox(this);
        choice->setObjectName(QStringLiteral("Com%1Device").arg(i + 1));
        choice->setEditable(true);
        choice->setInsertPolicy(QComboBox::NoInsert);
        choice->setMinimumContentsLength(60);
        choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        for (const SerialDevice& device : present) {
            choice->addItem(QString::fromStdString(device.path));
            choice->setItemData(choice->count() - 1, QString::fromStdString(device.label),
                                Qt::ToolTipRole);
        }
        choice->addItem(QString::fromLatin1(platform::kSimulatedDevice));
        choice->setItemData(choice->count() - 1, QStringLiteral("The built-in simulated modem"),
                            Qt::ToolTipRole);
        choice->setEditText(QString::fromStdString(devices[i]));
        choice->lineEdit()->setCursorPosition(0);
        choices[i] = choice;
        form->addRow(QStringLiteral("Com%1:").arg(i + 1), choice);
    }
    auto* column = new QVBoxLayout(this);
    column->addWidget(note);
    column->addLayout(form);
    column->addLayout(app::AcceptCancelRow(this, QStringLiteral("&Accept")));
}

app::PortDevices PortDevicesDialog::Devices() const {
    app::PortDevices devices = initial_;
    for (int i = 0; i < app::kPortCount; ++i) {
        const std::string text = choices[i]->currentText().trimmed().toStdString();
        if (!text.empty())
            devices[i] = text;
    }
    return devices;
}

bool EditPortDevices(QWidget* parent) {
    const std::string path = app::SettingsPath();
    PortDevicesDialog dialog(app::LoadPortDevices(path), PresentSerialDevices(), parent);
    if (app::RunCentred(dialog) != QDialog::Accepted)
        return false;
    try {
        app::SavePortDevices(path, dialog.Devices());
    } catch (const app::ProfileWriteError& error) {
        platform::CurrentPrompts().ShowInformation(QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

}  // namespace corvane::sendui
