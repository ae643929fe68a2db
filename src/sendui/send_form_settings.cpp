#include "send_form_settings.h"

#include <QCheckBox>
#include <QComboBox>

#include "app/transfer_rates.h"
#include "port_group.h"
#include "send_fax_form.h"
#include "settings_fields.h"

namespace corvane::sendui {

void FillSendForm(SendFaxForm& form, const app::FaxSettings& settings) {
    form.ComPort->SetItemIndex(settings.ComPort);
    form.CvComPort1().SetComNumber(settings.ComPort + 1);
    SetText(form.sfusername, settings.Name);
    SetText(form.sfStationID, settings.Fax);
    SetText(form.sfDialPrefix, settings.DialPrefix);
    SetText(form.sfModemInit, settings.InitString);
    SetNumber(form.sfDialAttempts, settings.DialAttempts);
    SetNumber(form.sfRetryWait, settings.RetryWait);
    form.sfFaxClass->SetItemIndex(settings.FaxClass);
    form.sfToneOrPulse->SetItemIndex(settings.ToneOrPulse);
    form.CheckBlindDial->setChecked(settings.BlindDial);
    form.CheckIgnoreBusy->setChecked(settings.IgnoreBusy);
    SetNumber(form.sfTimeOut, settings.Timeout);
    form.TransferRate->setCurrentIndex(app::IndexFromBps(settings.MaximumBPS));
}

void ReadSendForm(const SendFaxForm& form, app::FaxSettings& settings) {
    settings.ComPort = form.ComPort->ItemIndex();
    settings.Name = Text(form.sfusername);
    settings.Fax = Text(form.sfStationID);
    settings.DialPrefix = Text(form.sfDialPrefix);
    settings.InitString = Text(form.sfModemInit);
    ReadNumber(form.sfDialAttempts, settings.DialAttempts);
    ReadNumber(form.sfRetryWait, settings.RetryWait);
    settings.FaxClass = form.sfFaxClass->ItemIndex();
    settings.ToneOrPulse = form.sfToneOrPulse->ItemIndex();
    settings.BlindDial = form.CheckBlindDial->isChecked();
    settings.IgnoreBusy = form.CheckIgnoreBusy->isChecked();
    ReadNumber(form.sfTimeOut, settings.Timeout);
    settings.MaximumBPS = app::BpsFromIndex(form.TransferRate->currentIndex());
}

}  // namespace corvane::sendui
