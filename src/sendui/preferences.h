// Preferences: every setting of the record in one dialog, with the modem
// tools and the received-fax sound. The dialog only holds controls; the
// functions in preferences_command.h fill it from the settings and read
// it back.
#pragma once

#include <QDialog>

#include "dialog_port.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace corvane::sendui {

class PortGroup;
class RadioGroup;

class Preferences : public QDialog {
    Q_OBJECT
  public:
    explicit Preferences(QWidget* parent = nullptr);

    // Set by the caller when no port was ever configured: the dialog then
    // asks the user, once, to check the settings.
    bool FirstRunNotice = false;

    void FindModemButtonClick();
    void CheckFaxClassButtonClick();
    void SelectWavButtonClick();
    void BitBtn2Click();  // Play Now
    void BitBtn1Click();  // None

    // The first of the three number boxes whose text is not a decimal
    // integer, or nothing.
    QLineEdit* FirstNonNumber() const;

    DialogPort& CvComPort1() { return port_; }

    QLineEdit* Name;
    QLineEdit* Company;
    QLineEdit* FaxNumber;
    QLineEdit* Voicenumber;
    QLineEdit* DialPrefix;
    QLineEdit* ModemInit;
    QLineEdit* DialAttempts;
    QLineEdit* RetryWait;
    QLineEdit* TimeOut;
    PortGroup* ComPort;
    RadioGroup* FaxClass;
    RadioGroup* ToneOrPulse;
    QCheckBox* CheckBlindDial;
    QCheckBox* CheckIgnoreBusy;
    QComboBox* TransferRate;
    RadioGroup* AnswerOnRing;
    QLineEdit* WaveFileEdit;
    QPushButton* OkButton;
    QPushButton* Cancelbutton;
    QPushButton* Helpbutton;
    QPushButton* FindModemButton;
    QPushButton* CheckFaxClassButton;
    QPushButton* SelectWavButton;
    QPushButton* BitBtn2;
    QPushButton* BitBtn1;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Accept refuses a number box that holds no number, so nothing half
    // read is ever kept.
    void AcceptbuttonClick();

    DialogPort port_;
};

}  // namespace corvane::sendui
