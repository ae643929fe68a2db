#include "send_fax_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_support.h"
#include "app/help_topics.h"
#include "app/program_directory.h"
#include "app/text_utils.h"
#include "app/transfer_rates.h"
#include "fax_status_window.h"
#include "faxengine/fax_class.h"
#include "faxengine/fax_components.h"
#include "faximage/fax_errors.h"
#include "modem_tools.h"
#include "platform/help_window.h"
#include "platform/prompts.h"
#include "port_group.h"
#include "radio_group.h"
#include "send_header.h"
#include "settings_fields.h"
#include "shared_controls.h"

namespace corvane::sendui {

namespace {

constexpr std::size_t kMaxPassString = 255;
constexpr std::size_t kMaxStationID = 20;
constexpr std::size_t kMaxModemString = 40;

// A caption above its edit.
QVBoxLayout* Captioned(const QString& caption, QWidget* field) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    column->addWidget(label);
    column->addWidget(field);
    return column;
}

// The three counts, converted in order until the first text that is not
// an integer; it and the ones after it keep the session's values.
void ApplyCounts(engine::CvCustomSendFax& fax, const QLineEdit* attempts,
                 const QLineEdit* retryWait, const QLineEdit* timeOut) {
    bool ok = false;
    const int dialAttempts = attempts->text().toInt(&ok, 10);
    if (!ok)
        return;
    fax.dialAttempts = static_cast<std::uint16_t>(dialAttempts);
    const int retry = retryWait->text().toInt(&ok, 10);
    if (!ok)
        return;
    fax.SetDialRetryWait(static_cast<std::uint16_t>(retry));
    const int wait = timeOut->text().toInt(&ok, 10);
    if (!ok)
        return;
    fax.SetDialWait(static_cast<std::uint16_t>(wait));
}

}  // namespace

SendFaxForm::SendFaxForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("SendFaxForm"));
    setWindowTitle(QStringLiteral("Send Fax"));

    ComPort = new PortGroup(QString::fromUtf8(kComPortHint), this);
    sfFaxClass = MakeFaxClassGroup("sfFaxClass", this);
    sfToneOrPulse = MakeToneOrPulseGroup("sfToneOrPulse", this);
    CheckBlindDial = MakeHintedCheckBox(
        this, "CheckBlindDial", QStringLiteral("Blind Dial (ignore dialtone)"), kBlindDialHint);
    CheckIgnoreBusy = MakeHintedCheckBox(this, "CheckIgnoreBusy",
                                         QStringLiteral("Ignore Busy Signal"), kIgnoreBusyHint);
    sfusername = MakeHintedEdit(this, "sfusername", 20,
                                "Enter your name here\r(this will be printed on the fax header)");
    sfStationID =
        MakeHintedEdit(this, "sfStationID", 20,
                       "Enter your own fax number here\r(this is required for identification "
                       "purposes)");
    sfDialPrefix = MakeHintedEdit(this, "sfDialPrefix", 32767, kSendDialPrefixHint);
    sfPhoneNumber = MakeHintedEdit(this, "sfPhoneNumber", 32767);
    sfModemInit = MakeHintedEdit(this, "sfModemInit", 32767, kModemInitHint);
    sfDialAttempts = MakeHintedEdit(this, "sfDialAttempts", 32767);
    sfRetryWait = MakeHintedEdit(this, "sfRetryWait", 32767);
    sfTimeOut = MakeHintedEdit(this, "sfTimeOut", 32767);
    sfDialAttempts->setText(QStringLiteral("3"));
    sfRetryWait->setText(QStringLiteral("60"));
    sfTimeOut->setText(QStringLiteral("60"));
    TransferRate = MakeTransferRateList(this);
    ComPort->SetItemIndex(0);

    SendFaxButton = app::MakeButton(this, "SendFaxButton", QStringLiteral("&Send Fax Now"));
    SendFaxButton->setDefault(true);
    Helpbutton = app::MakeButton(this, "Helpbutton", QStringLiteral("&Help"));
    ExplorerButton1 = app::MakeButton(this, "ExplorerButton1", QStringLiteral("Problems??"));
    FindModemButton = app::MakeButton(this, "FindModemButton", QStringLiteral("Find Modem"));
    CheckFaxClassButton =
        app::MakeButton(this, "CheckFaxClassButton", QStringLiteral("Check Fax Class"));
    CloseButton = app::MakeButton(this, "CloseButton", QStringLiteral("C&lose"));

    // Left: the modem and dialing choices; right: the texts of this send.
    auto* left = new QVBoxLayout;
    left->addWidget(ComPort);
    left->addWidget(sfFaxClass);
    left->addWidget(sfToneOrPulse);
    left->addStretch();
    auto* right = new QGridLayout;
    right->setHorizontalSpacing(12);
    right->addLayout(Captioned(QStringLiteral("Your Name (optional)"), sfusername), 0, 0);
    right->addLayout(Captioned(QStringLiteral("Your fax number or Station ID# "), sfStationID), 0,
                     1);
    right->addLayout(Captioned(QStringLiteral("&Phone #:"), sfPhoneNumber), 1, 0);
    right->addLayout(Captioned(QStringLiteral("&Dial prefix:"), sfDialPrefix), 1, 1);
    right->addLayout(Captioned(QStringLiteral("&Modem initialization string:"), sfModemInit), 2, 0,
                     1, 2);
    auto* counts = new QGridLayout;
    counts->setHorizontalSpacing(8);
    const std::pair<QString, QLineEdit*> countRows[] = {
        {QStringLiteral("Number of dial attempts"), sfDialAttempts},
        {QStringLiteral("Seconds to wait before retry"), sfRetryWait},
        {QStringLiteral("Seconds to wait before timeout"), sfTimeOut}};
    int row = 0;
    for (const auto& [caption, edit] : countRows) {
        edit->setFixedWidth(64);
        counts->addWidget(edit, row, 0);
        counts->addWidget(new QLabel(caption), row++, 1);
    }
    counts->addWidget(TransferRate, row, 0);
    counts->addWidget(new QLabel(QStringLiteral("Transfer Rate (BPS)")), row, 1);
    counts->setColumnStretch(2, 1);
    right->addLayout(counts, 3, 0, 1, 2);
    right->addWidget(CheckBlindDial, 4, 0, 1, 2);
    right->addWidget(CheckIgnoreBusy, 5, 0, 1, 2);
    right->setRowStretch(6, 1);
    for (QLineEdit* edit : {sfusername, sfStationID, sfPhoneNumber, sfDialPrefix})
        edit->setMinimumWidth(190);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addSpacing(8);
    body->addLayout(right, 1);
    auto* bar = new QHBoxLayout;
    for (QPushButton* button : {SendFaxButton, Helpbutton, ExplorerButton1, FindModemButton,
                                CheckFaxClassButton, CloseButton})
        bar->addWidget(button);
    auto* column = new QVBoxLayout(this);
    column->addLayout(body);
    column->addLayout(bar);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(SendFaxButton, &QPushButton::clicked, this, &SendFaxForm::SendFaxButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &SendFaxForm::CloseButtonClick);
    connect(Helpbutton, &QPushButton::clicked, this,
            [] { platform::ShowHelpTopic(app::kHelpSendFax); });
    connect(ExplorerButton1, &QPushButton::clicked, this,
            [] { platform::ShowHelpTopic(app::kHelpTroubleshooting); });
    connect(FindModemButton, &QPushButton::clicked, this, &SendFaxForm::FindModemButtonClick);
    connect(CheckFaxClassButton, &QPushButton::clicked, this,
            &SendFaxForm::CheckFaxClassButtonClick);

    status_ = std::make_unique<CvFaxStatus>(this);
}

SendFaxForm::~SendFaxForm() {
    if (fax_ && fax_->Running())
        fax_->CancelFax();
    fax_.reset();
    port_.Close();
}

void SendFaxForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (numberPending_) {
        sfPhoneNumber->setText(QString::fromStdString(RecipientNumber));
        numberPending_ = false;
    }
}

void SendFaxForm::reject() {
    CloseButtonClick();
}

void SendFaxForm::CloseButtonClick() {
    if (sending_) {
        platform::CurrentPrompts().Beep();
        return;
    }
    QDialog::reject();
}

void SendFaxForm::ResetTracing() {
    port_.SetTraceFiles(app::ProgramDirectory() + "CVSEND.TRC",
                        app::ProgramDirectory() + "CVSEND.LOG");
    port_.SetTracing(true);
}

void SendFaxForm::BuildHeader() {
    headerText_ =
        sendui::BuildHeader(Text(sfusername), Text(sfStationID), QDateTime::currentDateTime());
}

engine::CvCustomSendFax& SendFaxForm::NewSession() {
    fax_ = std::make_unique<engine::CvCustomSendFax>(port_.Clock(), port_.Platform());
    fax_->SetComPort(port_.Port());
    status_->SetClock(port_.Clock());
    fax_->SetStatusDisplay(status_.get());
    fax_->onFaxFinish = [this](engine::CvCustomAbstractFax&, int code) {
        CvSendFax1FaxFinish(code);
    };
    return *fax_;
}

void SendFaxForm::ConfigureSession(engine::CvCustomSendFax& fax) {
    fax.desiredBPS = static_cast<std::uint16_t>(app::BpsFromIndex(TransferRate->currentIndex()));
    fax.blindDial = CheckBlindDial->isChecked();
    fax.detectBusy = !CheckIgnoreBusy->isChecked();
    fax.faxFile = app::CutUtf8(FaxFileName, kMaxPassString);
    fax.coverFile = app::CutUtf8(CoverFileName, kMaxPassString);
    fax.phoneNumber = app::CutUtf8(Text(sfPhoneNumber), kMaxPassString);
    fax.toneDial = sfToneOrPulse->ItemIndex() == 0;
    fax.faxClass = static_cast<engine::FaxClass>(sfFaxClass->ItemIndex() + 1);
    ApplyCounts(fax, sfDialAttempts, sfRetryWait, sfTimeOut);
    fax.stationID = app::CutUtf8(Text(sfStationID), kMaxStationID);
    fax.dialPrefix = app::CutUtf8(Text(sfDialPrefix), kMaxModemString);
    const std::string init = Text(sfModemInit);
    if (!init.empty()) {
        const bool hasAT = app::UpperCase(init).find("AT") != std::string::npos;
        fax.modemInit = app::CutUtf8(hasAT ? init : "AT" + init, kMaxModemString);
    }
    BuildHeader();
    fax.headerLine = app::CutUtf8(headerText_, kMaxPassString);
}

void SendFaxForm::SendFaxButtonClick() {
    if (sending_) {
        platform::CurrentPrompts().Beep();
        return;
    }
    sending_ = true;
    ResetTracing();
    port_.SetComNumber(ComPort->ItemIndex() + 1);
    QApplication::processEvents();
    QString message;
    if (!port_.OpenReporting(message)) {
        port_.Close();
        platform::CurrentPrompts().ShowInformation(message);
        sending_ = false;
        return;
    }
    try {
        engine::CvCustomSendFax& fax = NewSession();
        ConfigureSession(fax);
        fax.StartTransmit();
    } catch (const std::exception&) {
        // A session that cannot start is dropped without a message.
        EndSend();
    }
}

void SendFaxForm::CvSendFax1FaxFinish(int errorCode) {
    SendResult = errorCode == 0 ? "Sent" : ErrorText(errorCode);
    if (SendResult == "Sent") {
        platform::CurrentPrompts().ShowInformation(QStringLiteral("Fax sent successfully"));
    } else {
        const QString text =
            QStringLiteral("Fax was not sent. ") + QString::fromStdString(ErrorText(errorCode));
        platform::CurrentPrompts().ShowInformation(text.left(255));
    }
    EndSend();
}

void SendFaxForm::EndSend() {
    port_.Close();
    sending_ = false;
}

void SendFaxForm::FindModemButtonClick() {
    RunFindModem(port_, *ComPort);
}

void SendFaxForm::CheckFaxClassButtonClick() {
    ResetTracing();
    RunCheckFaxClass(port_, *sfFaxClass, ComPort->ItemIndex() + 1);
    port_.Close();
    QApplication::processEvents();
}

}  // namespace corvane::sendui
