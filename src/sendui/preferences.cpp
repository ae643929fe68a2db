#include "preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_support.h"
#include "app/help_topics.h"
#include "app/program_directory.h"
#include "modem_tools.h"
#include "platform/help_window.h"
#include "platform/prompts.h"
#include "platform/sound_player.h"
#include "port_group.h"
#include "radio_group.h"
#include "shared_controls.h"

namespace corvane::sendui {

namespace {

bool IsDecimal(const QLineEdit* edit) {
    bool ok = false;
    edit->text().toInt(&ok, 10);
    return ok;
}

QGroupBox* Group(const QString& caption, QLayout* content) {
    auto* group = new QGroupBox(caption);
    group->setLayout(content);
    return group;
}

}  // namespace

Preferences::Preferences(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(QStringLiteral("Preferences"));
    port_.SetTraceFiles(app::ProgramDirectory() + "CVPREF.TRC",
                        app::ProgramDirectory() + "CVPREF.LOG");
    port_.SetTracing(true);

    Name = MakeHintedEdit(this, "Name", 35);
    Company = MakeHintedEdit(this, "Company", 35);
    FaxNumber = MakeHintedEdit(this, "FaxNumber", 20);
    Voicenumber = MakeHintedEdit(this, "Voicenumber", 20);
    DialPrefix = MakeHintedEdit(this, "DialPrefix", 32767, kPreferencesDialPrefixHint);
    ModemInit = MakeHintedEdit(this, "ModemInit", 32767, kModemInitHint);
    DialAttempts = MakeHintedEdit(this, "DialAttempts", 32767);
    RetryWait = MakeHintedEdit(this, "RetryWait", 32767);
    TimeOut = MakeHintedEdit(this, "TimeOut", 32767);
    DialAttempts->setText(QStringLiteral("3"));
    RetryWait->setText(QStringLiteral("60"));
    TimeOut->setText(QStringLiteral("60"));
    ComPort = new PortGroup(QString::fromUtf8(kComPortHint), this);
    ComPort->SetItemIndex(0);
    FaxClass = MakeFaxClassGroup("FaxClass", this);
    ToneOrPulse = MakeToneOrPulseGroup("ToneOrPulse", this);
    CheckBlindDial =
        MakeHintedCheckBox(this, "CheckBlindDial", QStringLiteral("Blind Dial"), kBlindDialHint);
    CheckIgnoreBusy = MakeHintedCheckBox(this, "CheckIgnoreBusy",
                                         QStringLiteral("Ignore Busy Signal"), kIgnoreBusyHint);
    TransferRate = MakeTransferRateList(this);
    AnswerOnRing =
        new RadioGroup("AnswerOnRing", QStringLiteral("Answer on ring"),
                       {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}, 3, this);
    AnswerOnRing->setToolTip(
        QStringLiteral("Select which ring the program should answer on, when in receive mode"));
    AnswerOnRing->SetItemIndex(0);
    WaveFileEdit = MakeHintedEdit(this, "WaveFileEdit", 32767);
    WaveFileEdit->setToolTip(QStringLiteral("Type in the path and name of the .WAV file"));

    OkButton = app::MakeButton(this, "OkButton", QStringLiteral("&Accept"));
    OkButton->setDefault(true);
    Cancelbutton = app::MakeButton(this, "Cancelbutton", QStringLiteral("Cance&l"));
    Helpbutton = app::MakeButton(this, "Helpbutton", QStringLiteral("&Help"));
    FindModemButton = app::MakeButton(this, "FindModemButton", QStringLiteral("Find Modem"));
    CheckFaxClassButton =
        app::MakeButton(this, "CheckFaxClassButton", QStringLiteral("Check Fax Class"));
    SelectWavButton = app::MakeButton(this, "SelectWavButton", QStringLiteral("&Choose"));
    BitBtn2 = app::MakeButton(this, "BitBtn2", QStringLiteral("Play &Now"));
    BitBtn1 = app::MakeButton(this, "BitBtn1", QStringLiteral("None"));

    auto* you = new QFormLayout;
    you->addRow(QStringLiteral("Your &name"), Name);
    you->addRow(QStringLiteral("Your &company"), Company);
    you->addRow(QStringLiteral("Your &fax number (Station ID#)"), FaxNumber);
    you->addRow(QStringLiteral("Your &voice number"), Voicenumber);
    for (QLineEdit* edit : {Name, Company, FaxNumber, Voicenumber}) edit->setMinimumWidth(240);

    auto* dialing = new QFormLayout;
    dialing->addRow(QStringLiteral("&Dial prefix:"), DialPrefix);
    dialing->addRow(QStringLiteral("&Modem initialization string:"), ModemInit);
    auto* counts = new QHBoxLayout;
    const std::pair<QString, QLineEdit*> countBoxes[] = {
        {QStringLiteral("Dial attempts"), DialAttempts},
        {QStringLiteral("Seconds before retry"), RetryWait},
        {QStringLiteral("Seconds before timeout"), TimeOut}};
    for (const auto& [caption, edit] : countBoxes) {
        edit->setFixedWidth(56);
        counts->addWidget(edit);
        counts->addWidget(new QLabel(caption));
        counts->addSpacing(8);
    }
    counts->addStretch();
    dialing->addRow(counts);
    auto* checks = new QHBoxLayout;
    checks->addWidget(CheckBlindDial);
    checks->addWidget(CheckIgnoreBusy);
    checks->addStretch();
    dialing->addRow(checks);

    auto* modem = new QGridLayout;
    modem->addWidget(ComPort, 0, 0, 3, 1);
    modem->addWidget(FaxClass, 0, 1, 3, 1);
    modem->addWidget(ToneOrPulse, 0, 2);
    auto* rate = new QVBoxLayout;
    rate->setSpacing(2);
    rate->addWidget(new QLabel(QStringLiteral("Transfer Rate (BPS)")));
    rate->addWidget(TransferRate);
    modem->addLayout(rate, 1, 2);
    modem->setRowStretch(2, 1);
    auto* tools = new QHBoxLayout;
    tools->addWidget(FindModemButton);
    tools->addWidget(CheckFaxClassButton);
    tools->addStretch();
    modem->addLayout(tools, 3, 0, 1, 3);

    auto* receive = new QGridLayout;
    receive->addWidget(AnswerOnRing, 0, 0, 2, 1);
    auto* wavCaption = new QLabel(QStringLiteral("Select &WAV File to play when receiving a fax:"));
    wavCaption->setBuddy(WaveFileEdit);
    receive->addWidget(wavCaption, 0, 1, 1, 4);
    receive->addWidget(WaveFileEdit, 1, 1);
    receive->addWidget(SelectWavButton, 1, 2);
    receive->addWidget(BitBtn2, 1, 3);
    receive->addWidget(BitBtn1, 1, 4);
    receive->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {OkButton, Cancelbutton, Helpbutton}) buttons->addWidget(button);

    auto* column = new QVBoxLayout(this);
    column->addWidget(Group(QStringLiteral("About you"), you));
    column->addWidget(Group(QStringLiteral("Dialing"), dialing));
    column->addWidget(Group(QStringLiteral("Modem"), modem));
    column->addWidget(Group(QStringLiteral("Receiving"), receive));
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(OkButton, &QPushButton::clicked, this, &Preferences::AcceptbuttonClick);
    connect(Cancelbutton, &QPushButton::clicked, this, &QDialog::reject);
    connect(Helpbutton, &QPushButton::clicked, this,
            [] { platform::ShowHelpTopic(app::kHelpPreferences); });
    connect(FindModemButton, &QPushButton::clicked, this, &Preferences::FindModemButtonClick);
    connect(CheckFaxClassButton, &QPushButton::clicked, this,
            &Preferences::CheckFaxClassButtonClick);
    connect(SelectWavButton, &QPushButton::clicked, this, &Preferences::SelectWavButtonClick);
    connect(BitBtn2, &QPushButton::clicked, this, &Preferences::BitBtn2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &Preferences::BitBtn1Click);
}

void Preferences::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FirstRunNotice) {
        FirstRunNotice = false;
        platform::CurrentPrompts().ShowInformation(platform::WithLineBreaks(QStringLiteral(
            "Please enter information about yourself and your\rfaxmodem in the Preferences "
            "screen. These values\rwill be saved for future use.\r\rBe sure to verify at least "
            "the Port setting before\rcontinuing")));
    }
}

QLineEdit* Preferences::FirstNonNumber() const {
    for (QLineEdit* edit : {DialAttempts, RetryWait, TimeOut}) {
        if (!IsDecimal(edit))
            return edit;
    }
    return nullptr;
}

void Preferences::AcceptbuttonClick() {
    if (QLineEdit* bad = FirstNonNumber()) {
        platform::CurrentPrompts().ShowInformation(
            QStringLiteral("'%1' is not a valid integer value").arg(bad->text()));
        bad->setFocus();
        bad->selectAll();
        return;
    }
    accept();
}

void Preferences::FindModemButtonClick() {
    RunFindModem(port_, *ComPort);
}

void Preferences::CheckFaxClassButtonClick() {
    RunCheckFaxClass(port_, *FaxClass, ComPort->ItemIndex() + 1);
}

void Preferences::SelectWavButtonClick() {
    QFileDialog dialog(this, QString(), QString::fromStdString(app::ProgramDirectory()),
                       QStringLiteral("WAVE files (*.wav)"));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QString current = WaveFileEdit->text();
    if (!current.isEmpty() && QFileInfo(current).isFile())
        dialog.selectFile(current);
    if (platform::CurrentPrompts().Run(dialog) != QDialog::Accepted ||
        dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (chosen.toUpper().contains(QStringLiteral(".WAV")))
        WaveFileEdit->setText(chosen);
}

void Preferences::BitBtn2Click() {
    const QString file = WaveFileEdit->text();
    if (!file.isEmpty() && QFileInfo(file).isFile())
        platform::PlaySoundFile(file.toStdString());
}

void Preferences::BitBtn1Click() {
    WaveFileEdit->clear();
}

}  // namespace corvane::sendui
