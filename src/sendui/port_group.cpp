#include "port_group.h"

#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>

#include "app/program_directory.h"
#include "platform/prompts.h"
#include "port_devices_dialog.h"
#include "serial_devices.h"

namespace corvane::sendui {

namespace {

QStringList PortItems() {
    QStringList items;
    for (int i = 1; i <= app::kPortCount; ++i) items << QStringLiteral("Com%1").arg(i);
    return items;
}

}  // namespace

PortGroup::PortGroup(const QString& hint, QWidget* parent)
    : RadioGroup("ComPort", QStringLiteral("Port"), PortItems(), 2, parent) {
    setToolTip(platform::WithLineBreaks(hint));
    for (int i = 0; i < app::kPortCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Com%1DeviceLabel").arg(i + 1));
        label->setForegroundRole(QPalette::PlaceholderText);
        label->setMinimumWidth(90);
        Grid()->addWidget(label, i % Rows(), (i / Rows()) * 2 + 1);
        deviceLabels[i] = label;
    }
    DevicesButton = new QPushButton(QStringLiteral("Devices…"), this);
    DevicesButton->setObjectName(QStringLiteral("DevicesButton"));
    DevicesButton->setAutoDefault(false);
    DevicesButton->setToolTip(QStringLiteral("Choose the device each Com port stands for"));
    Grid()->addWidget(DevicesButton, Rows(), 0, 1, 4, Qt::AlignLeft);
    connect(DevicesButton, &QPushButton::clicked, this, [this] {
        if (EditPortDevices(window()))
            Reload();
    });
    Reload();
}

void PortGroup::Reload() {
    devices_ = app::LoadPortDevices(app::SettingsPath());
    for (int i = 0; i < app::kPortCount; ++i) {
        const QString device = QString::fromStdString(devices_[i]);
        const QString caption = QString::fromStdString(DeviceCaption(devices_[i]));
        // Long by-id names are cut in the group; the tool tip has them whole.
        deviceLabels[i]->setText(fontMetrics().elidedText(caption, Qt::ElideMiddle, 150));
        deviceLabels[i]->setToolTip(device);
        Item(i)->setToolTip(device);
    }
}

}  // namespace corvane::sendui
