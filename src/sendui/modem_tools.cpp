#include "modem_tools.h"

#include <filesystem>

#include "app/dialog_support.h"
#include "app/profile.h"
#include "app/program_directory.h"
#include "check_fax_class_form.h"
#include "dialog_port.h"
#include "find_modem_form.h"
#include "platform/fax_port.h"
#include "platform/prompts.h"
#include "port_group.h"

namespace corvane::sendui {

namespace {

// The first Com port whose device is not there; else the one chosen.
int FreePort(const app::PortDevices& devices, int chosen) {
    for (int i = 0; i < app::kPortCount; ++i) {
        std::error_code ec;
        if (devices[i] != platform::kSimulatedDevice && !std::filesystem::exists(devices[i], ec))
            return i;
    }
    return chosen;
}

void OfferDevice(const std::string& device, PortGroup& comPort) {
    app::PortDevices devices = comPort.Devices();
    const int free = FreePort(devices, std::max(comPort.ItemIndex(), 0));
    const QString question = QStringLiteral("Let Com %1 stand for %2?")
                                 .arg(free + 1)
                                 .arg(QString::fromStdString(device));
    if (!platform::CurrentPrompts().AskYesNo(question, QStringLiteral("Com Port")))
        return;
    devices[free] = device;
    try {
        app::SavePortDevices(app::SettingsPath(), devices);
    } catch (const app::ProfileWriteError& error) {
        platform::CurrentPrompts().ShowInformation(QString::fromStdString(error.what()));
        return;
    }
    comPort.Reload();
    comPort.SetItemIndex(free);
}

}  // namespace

void RunFindModem(DialogPort& port, PortGroup& comPort) {
    const int chosen = comPort.ItemIndex();
    FindModemForm form(port, UnmappedDevices(comPort.Devices(), PresentSerialDevices()),
                       comPort.window());
    app::RunCentred(form);
    port.SetComNumber(chosen + 1);
    if (form.FoundPort > 0 && form.FoundPort != chosen + 1) {
        if (platform::CurrentPrompts().AskYesNo(
                QStringLiteral("Set Com Port to Com %1").arg(form.FoundPort),
                QStringLiteral("Com Port")))
            comPort.SetItemIndex(form.FoundPort - 1);
    } else if (form.FoundPort < 0 && !form.FoundDevice.empty()) {
        OfferDevice(form.FoundDevice, comPort);
    }
}

void RunCheckFaxClass(DialogPort& port, RadioGroup& faxClass, int portNumber) {
    CheckFaxClassForm form(port, portNumber, faxClass.window());
    app::RunCentred(form);
    if (form.RecommendedClass >= 0 && form.RecommendedClass + 1 != faxClass.ItemIndex()) {
        if (platform::CurrentPrompts().AskYesNo(
                QStringLiteral("Set fax class as ") +
                    QString::fromStdString(form.RecommendedClassName) + QStringLiteral(" ?"),
                QStringLiteral("Fax Class")))
            faxClass.SetItemIndex(form.RecommendedClass + 1);
    }
}

}  // namespace corvane::sendui
