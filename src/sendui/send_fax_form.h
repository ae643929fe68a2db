// The send dialog: one prepared fax file leaves the program through it.
// The caller fills the controls, shows it modally and reads SendResult and
// the controls back. "&Send Fax Now" opens the dialog's own port and
// starts a send session on it; the session runs inside the port's events
// while the dialog stays responsive, and its status window shows progress.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "dialog_port.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace corvane::engine {
class CvCustomSendFax;
}

namespace corvane::sendui {

class CvFaxStatus;
class PortGroup;
class RadioGroup;

class SendFaxForm : public QDialog {
    Q_OBJECT
  public:
    explicit SendFaxForm(QWidget* parent = nullptr);
    ~SendFaxForm() override;

    // Set by the caller before showing.
    std::string FaxFileName;
    std::string CoverFileName;
    std::string RecipientNumber;
    // "Cancelled" until a session finishes; then "Sent" or the error text
    // of the last finish.
    std::string SendResult = "Cancelled";

    bool Sending() const { return sending_; }
    const std::string& HeaderText() const { return headerText_; }

    void SendFaxButtonClick();
    void CloseButtonClick();
    void FindModemButtonClick();
    void CheckFaxClassButtonClick();
    void CvSendFax1FaxFinish(int errorCode);
    void BuildHeader();
    void ResetTracing();

    DialogPort& CvComPort1() { return port_; }
    engine::CvCustomSendFax* CvSendFax1() const { return fax_.get(); }
    CvFaxStatus& CvFaxStatus1() { return *status_; }

    PortGroup* ComPort;
    RadioGroup* sfFaxClass;
    RadioGroup* sfToneOrPulse;
    QCheckBox* CheckBlindDial;
    QCheckBox* CheckIgnoreBusy;
    QLineEdit* sfusername;
    QLineEdit* sfStationID;
    QLineEdit* sfDialPrefix;
    QLineEdit* sfPhoneNumber;
    QLineEdit* sfModemInit;
    QLineEdit* sfDialAttempts;
    QLineEdit* sfRetryWait;
    QLineEdit* sfTimeOut;
    QComboBox* TransferRate;
    QPushButton* SendFaxButton;
    QPushButton* Helpbutton;
    QPushButton* ExplorerButton1;
    QPushButton* FindModemButton;
    QPushButton* CheckFaxClassButton;
    QPushButton* CloseButton;

  protected:
    void showEvent(QShowEvent* event) override;
    // Escape presses "C&lose".
    void reject() override;

  private:
    void ConfigureSession(engine::CvCustomSendFax& fax);
    // A fresh session on the open port, bound to the status window.
    engine::CvCustomSendFax& NewSession();
    void EndSend();

    bool sending_ = false;
    bool numberPending_ = true;
    std::string headerText_;
    DialogPort port_;
    std::unique_ptr<CvFaxStatus> status_;
    std::unique_ptr<engine::CvCustomSendFax> fax_;
};

}  // namespace corvane::sendui
