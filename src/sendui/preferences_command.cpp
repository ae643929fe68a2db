#include "preferences_command.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/dialog_support.h"
#include "app/profile.h"
#include "app/program_directory.h"
#include "app/transfer_rates.h"
#include "platform/prompts.h"
#include "port_group.h"
#include "preferences.h"
#include "settings_fields.h"

namespace corvane::sendui {

void FillSenderInfo(Preferences& dialog, const app::FaxSettings& settings) {
    SetText(dialog.FaxNumber, settings.Fax);
    SetText(dialog.Voicenumber, settings.Voice);
    SetText(dialog.Name, settings.Name);
    SetText(dialog.Company, settings.Company);
    SetText(dialog.DialPrefix, settings.DialPrefix);
    SetText(dialog.ModemInit, settings.InitString);
    SetNumber(dialog.DialAttempts, settings.DialAttempts);
    SetNumber(dialog.RetryWait, settings.RetryWait);
    dialog.ComPort->SetItemIndex(settings.ComPort);
    dialog.FaxClass->SetItemIndex(settings.FaxClass);
    dialog.CheckBlindDial->setChecked(settings.BlindDial);
    dialog.ToneOrPulse->SetItemIndex(settings.ToneOrPulse);
}

void ReadSenderInfo(const Preferences& dialog, app::FaxSettings& settings) {
    settings.Fax = Text(dialog.FaxNumber);
    settings.Voice = Text(dialog.Voicenumber);
    settings.Name = Text(dialog.Name);
    settings.Company = Text(dialog.Company);
    settings.DialPrefix = Text(dialog.DialPrefix);
    settings.InitString = Text(dialog.ModemInit);
    ReadNumber(dialog.DialAttempts, settings.DialAttempts);
    ReadNumber(dialog.RetryWait, settings.RetryWait);
    settings.ComPort = dialog.ComPort->ItemIndex();
    settings.FaxClass = dialog.FaxClass->ItemIndex();
    settings.BlindDial = dialog.CheckBlindDial->isChecked();
    settings.ToneOrPulse = dialog.ToneOrPulse->ItemIndex();
}

void FillPreferences(Preferences& dialog, const app::FaxSettings& settings) {
    dialog.TransferRate->setCurrentIndex(app::IndexFromBps(settings.MaximumBPS));
    SetText(dialog.WaveFileEdit, settings.Wav);
    dialog.AnswerOnRing->SetItemIndex(settings.AnswerOnRing - 1);
    FillSenderInfo(dialog, settings);
    SetNumber(dialog.TimeOut, settings.Timeout);
    dialog.CheckIgnoreBusy->setChecked(settings.IgnoreBusy);
}

void ReadPreferences(const Preferences& dialog, app::FaxSettings& settings) {
    settings.Wav = Text(dialog.WaveFileEdit);
    settings.AnswerOnRing = dialog.AnswerOnRing->ItemIndex() + 1;
    ReadSenderInfo(dialog, settings);
    ReadNumber(dialog.TimeOut, settings.Timeout);
    settings.IgnoreBusy = dialog.CheckIgnoreBusy->isChecked();
    settings.MaximumBPS = app::BpsFromIndex(dialog.TransferRate->currentIndex());
}

namespace {

using Fill = void (*)(Preferences&, const app::FaxSettings&);
using Read = void (*)(const Preferences&, app::FaxSettings&);

bool Run(app::FaxSettings& settings, bool firstRunNotice, QWidget* parent, Fill fill, Read read) {
    Preferences dialog(parent);
    dialog.FirstRunNotice = firstRunNotice;
    fill(dialog, settings);
    if (app::RunCentred(dialog) != QDialog::Accepted)
        return false;
    read(dialog, settings);
    try {
        app::SaveSettings(app::SettingsPath(), settings);
    } catch (const app::ProfileWriteError& error) {
        platform::CurrentPrompts().ShowInformation(QString::fromStdString(error.what()));
    }
    return true;
}

}  // namespace

bool EditPreferences(app::FaxSettings& settings, bool firstRunNotice, QWidget* parent) {
    return Run(settings, firstRunNotice, parent, FillPreferences, ReadPreferences);
}

bool ChangeSenderInfo(app::FaxSettings& settings, QWidget* parent) {
    return Run(settings, false, parent, FillSenderInfo, ReadSenderInfo);
}

}  // namespace corvane::sendui
