#include "find_modem_form.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "dialog_port.h"
#include "faxengine/engine_codes.h"
#include "faximage/fax_errors.h"
#include "modem_probe.h"
#include "port_access.h"

namespace corvane::sendui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Canonical(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
    return ec ? path : resolved.string();
}

}  // namespace

ProbeOutcome ProbePort(DialogPort& port) {
    ProbeOutcome outcome;
    try {
        const int code = port.Open();
        if (code == 0 && port.IsOpen()) {
            outcome.modem = ModemAnswers(*port.Port(), port.Clock(), port.Platform());
            outcome.text = outcome.modem ? "MODEM" : "Unknown";
        } else if (code == 0) {
            outcome.text = "Unknown";
        } else if (code == engine::ecAlreadyOpen || code == engine::ecPortInUse) {
            outcome.text = "Port is already open (could be modem)";
            outcome.inUse = true;
        } else if (code == engine::ecBadPort) {
            outcome.text = "Port does not exist";
        } else {
            outcome.denied = IsAccessDenied(code, port.Device());
            outcome.text = ErrorText(code);
            if (outcome.text.empty())
                outcome.text = "Unknown Error";
        }
    } catch (const std::exception& error) {
        outcome.text = std::string("ERROR: ") + error.what();
    }
    port.Close();
    return outcome;
}

std::vector<SerialDevice> UnmappedDevices(const app::PortDevices& mapped,
                                          const std::vector<SerialDevice>& present) {
    std::vector<std::string> taken;
    for (const std::string& device : mapped) taken.push_back(Canonical(device));
    std::vector<SerialDevice> others;
    for (const SerialDevice& device : present) {
        const std::string file = Canonical(device.path);
        if (std::find(taken.begin(), taken.end(), file) != taken.end())
            continue;
        taken.push_back(file);  // a by-id link and its ttyUSB name are one device
        others.push_back(device);
    }
    return others;
}

FindModemForm::FindModemForm(DialogPort& testPort, std::vector<SerialDevice> otherDevices,
                             QWidget* parent)
    : ToolDialog("FindModemForm", QStringLiteral("Finding Modem...Please wait"), parent),
      TestPort(testPort),
      otherDevices_(std::move(otherDevices)) {
    Label8 = new QLabel(QStringLiteral("Communications Ports:"), this);
    Label8->setObjectName(QStringLiteral("Label8"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(Label8);
    for (int i = 0; i < 6; ++i) {
        PortLabels[i] = new QLabel(QStringLiteral("Com %1:").arg(i + 1), this);
        PortLabels[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        PortLabels[i]->setIndent(12);
        column->addWidget(PortLabels[i]);
    }
    otherLines_ = new QVBoxLayout;
    column->addLayout(otherLines_);
    Label7 = MakeText("Label7", QStringLiteral("Testing Communications ports...please wait."),
                      {308, 78});
    column->addWidget(Label7);
    column->addWidget(OkButton, 0, Qt::AlignHCenter);
}

void FindModemForm::RunSearch() {
    if (!BeginWork())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FoundPort = -1;
    bool portInUse = false;
    bool denied = false;
    for (int n = 1; n <= 6; ++n) {
        PortLabels[n - 1]->setText(QStringLiteral("Com %1: TESTING").arg(n));
        QApplication::processEvents();
        TestPort.SetComNumber(n);
        const ProbeOutcome outcome = ProbePort(TestPort);
        if (outcome.modem && FoundPort == -1)
            FoundPort = n;
        portInUse = portInUse || outcome.inUse;
        denied = denied || outcome.denied;
        PortLabels[n - 1]->setText(QStringLiteral("Com %1: ").arg(n) + Q(outcome.text));
        PortLabels[n - 1]->setToolTip(Q(TestPort.Device()));
    }
    if (FoundPort == -1)
        SearchOtherDevices(denied);
    QApplication::restoreOverrideCursor();
    QString summary;
    if (FoundPort > 0) {
        summary = QStringLiteral("A modem was found on Com Port %1. ").arg(FoundPort) +
                  QStringLiteral("We suggest setting the Port as Com %1.").arg(FoundPort);
    } else if (!FoundDevice.empty()) {
        summary = QStringLiteral("A modem was found on %1, which no Com port stands for yet.")
                      .arg(Q(FoundDevice));
    } else if (portInUse) {
        summary = QStringLiteral(
            "No modem found. Please make sure that all communication programs (internet, AOL, "
            "etc) are closed, and then try again. If you know which Com port your modem uses, "
            "you can also just set the Port to that setting");
    } else {
        summary = QStringLiteral(
            "No modem found. If you know which Com port your modem uses, you can also just set "
            "the Port to that setting");
    }
    if (denied)
        summary += QStringLiteral("\n\n") + AccessDeniedAdvice();
    Label7->setText(summary);
    EndWork(QStringLiteral("Find Modem"));
}

void FindModemForm::SearchOtherDevices(bool& denied) {
    if (otherDevices_.empty())
        return;
    auto* caption = new QLabel(QStringLiteral("Other serial devices:"), this);
    otherLines_->addWidget(caption);
    for (const SerialDevice& device : otherDevices_) {
        auto* line = new QLabel(Q(device.label) + QStringLiteral(": TESTING"), this);
        line->setObjectName(QStringLiteral("OtherDeviceLabel"));
        line->setIndent(12);
        otherLines_->addWidget(line);
        QApplication::processEvents();
        TestPort.SetDevice(device.path);
        const ProbeOutcome outcome = ProbePort(TestPort);
        denied = denied || outcome.denied;
        if (outcome.modem && FoundDevice.empty())
            FoundDevice = device.path;
        line->setText(Q(device.label) + QStringLiteral(": ") + Q(outcome.text));
    }
    adjustSize();
}

}  // namespace corvane::sendui
