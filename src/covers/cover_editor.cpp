#include "cover_editor.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_support.h"
#include "app/help_topics.h"
#include "app/phone_book.h"
#include "app/program_directory.h"
#include "covers/files/cover_data_file.h"
#include "platform/help_window.h"
#include "platform/prompts.h"
#include "sendui/preferences_command.h"
#include "template_picker.h"

namespace corvane::covers {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CoverCheck CheckCover(const QString& recipient, const QString& recipientFax,
                      const QString& regarding, bool messageEmpty) {
    if (recipient.isEmpty())
        return {CoverField::Recipient, QStringLiteral("Please enter a recipient")};
    if (recipientFax.isEmpty())
        return {CoverField::RecipientFax, QStringLiteral("Please enter a recipient fax number")};
    if (regarding.isEmpty() && messageEmpty)
        return {CoverField::Regarding,
                QStringLiteral("Please enter text for the \"regarding\" field\r"
                               "and/or enter a message")};
    return {};
}

QString SenderHint(const app::FaxSettings& settings) {
    return Q(settings.Name) + '\r' + Q(settings.Company) + '\r' + Q(settings.Fax) + '\r' +
           Q(settings.Voice);
}

CreateEditQuickFax::CreateEditQuickFax(app::FaxSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("CreateEditQuickFax"));
    setWindowTitle(QStringLiteral("Fax Cover Sheet"));

    Recipient = app::MakeEdit(this, "Recipient", 32767);
    RecipientFax = app::MakeEdit(this, "RecipientFax", 32767);
    Regarding = app::MakeEdit(this, "Regarding", 32767);
    Notes = app::MakeEdit(this, "Notes", 50);
    Codes = app::MakeEdit(this, "Codes", 25);
    for (QLineEdit* edit : {Recipient, RecipientFax, Regarding, Notes, Codes})
        app::EnterMovesToNextField(edit);
    FaxMessage = new QPlainTextEdit(this);
    FaxMessage->setObjectName(QStringLiteral("FaxMessage"));
    FaxMessage->setTabChangesFocus(true);
    FaxMessage->setMinimumSize(460, 180);

    OkButton = app::MakeButton(this, "OkButton", QStringLiteral("&Save"));
    Cancelbutton = app::MakeButton(this, "Cancelbutton", QStringLiteral("Cance&l"));
    AddressButton = app::MakeButton(this, "AddressButton", QStringLiteral("&Phonebook"));
    ExplorerButton1 =
        app::MakeButton(this, "ExplorerButton1", QStringLiteral("&Select Fax Cover Template"));
    ChangeSenderInfoButton =
        app::MakeButton(this, "ChangeSenderInfoButton", QStringLiteral("&Change Sender Info"));
    Helpbutton = app::MakeButton(this, "Helpbutton", QStringLiteral("&Help"));
    OkButton->setDefault(true);

    auto* to = new QGroupBox(QStringLiteral("Send to"), this);
    auto* toForm = new QGridLayout(to);
    toForm->addWidget(new QLabel(QStringLiteral("&Recipient:"), to), 0, 0);
    toForm->addWidget(Recipient, 0, 1);
    toForm->addWidget(AddressButton, 0, 2, 2, 1, Qt::AlignVCenter);
    toForm->addWidget(new QLabel(QStringLiteral("Recipient &fax:"), to), 1, 0);
    toForm->addWidget(RecipientFax, 1, 1);
    toForm->addWidget(new QLabel(QStringLiteral("Re&garding:"), to), 2, 0);
    toForm->addWidget(Regarding, 2, 1, 1, 2);
    for (int row = 0; row < 3; ++row)
        static_cast<QLabel*>(toForm->itemAtPosition(row, 0)->widget())
            ->setBuddy(toForm->itemAtPosition(row, 1)->widget());

    auto* message = new QGroupBox(QStringLiteral("&Message"), this);
    auto* messageLayout = new QVBoxLayout(message);
    messageLayout->addWidget(FaxMessage);

    auto* importance = new QGroupBox(QStringLiteral("Importance"), this);
    auto* importanceLayout = new QVBoxLayout(importance);
    auto flag = [&](const char* name, const QString& caption) {
        auto* box = new QCheckBox(caption, importance);
        box->setObjectName(QString::fromLatin1(name));
        importanceLayout->addWidget(box);
        return box;
    };
    cUrgent = flag("cUrgent", QStringLiteral("&Urgent"));
    cForReview = flag("cForReview", QStringLiteral("For Re&view"));
    cPleaseComment = flag("cPleaseComment", QStringLiteral("Please Co&mment"));
    cPleaseReply = flag("cPleaseReply", QStringLiteral("Please Rep&ly"));
    cPleaseRecycle = flag("cPleaseRecycle", QStringLiteral("Please Recycl&e"));
    importanceLayout->addStretch();

    auto* records = new QGroupBox(QStringLiteral("For your records"), this);
    auto* recordsForm = new QFormLayout(records);
    recordsForm->addRow(QStringLiteral("&Notes:"), Notes);
    recordsForm->addRow(QStringLiteral("C&odes:"), Codes);

    auto* design = new QGroupBox(QStringLiteral("Cover design"), this);
    auto* designLayout = new QHBoxLayout(design);
    CurrentQFileLabel = new QLabel(design);
    CurrentQFileLabel->setObjectName(QStringLiteral("CurrentQFileLabel"));
    CurrentQFileLabel->setTextFormat(Qt::PlainText);
    designLayout->addWidget(new QLabel(QStringLiteral("Template:"), design));
    designLayout->addWidget(CurrentQFileLabel, 1);
    designLayout->addWidget(ExplorerButton1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(message, 1);
    middle->addWidget(importance);

    auto* senderRow = new QHBoxLayout;
    senderRow->addWidget(records, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ChangeSenderInfoButton);
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(Cancelbutton);
    buttons->addWidget(Helpbutton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(to);
    layout->addLayout(middle, 1);
    layout->addLayout(senderRow);
    layout->addWidget(design);
    layout->addLayout(buttons);

    QWidget* const order[] = {Recipient,      RecipientFax, Regarding,      FaxMessage,
                              cUrgent,        cForReview,   cPleaseComment, cPleaseReply,
                              cPleaseRecycle, Notes,        Codes,          ExplorerButton1,
                              OkButton,       Cancelbutton, AddressButton,  ChangeSenderInfoButton,
                              Helpbutton};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(OkButton, &QPushButton::clicked, this, &CreateEditQuickFax::OkButtonClick);
    connect(Cancelbutton, &QPushButton::clicked, this, &QDialog::reject);
    connect(AddressButton, &QPushButton::clicked, this, &CreateEditQuickFax::AddressButtonClick);
    connect(ExplorerButton1, &QPushButton::clicked, this,
            &CreateEditQuickFax::ExplorerButton1Click);
    connect(ChangeSenderInfoButton, &QPushButton::clicked, this,
            &CreateEditQuickFax::ChangeSenderInfoButtonClick);
    connect(Helpbutton, &QPushButton::clicked, this,
            [] { platform::ShowHelpTopic(app::kHelpCoverEditor); });
    SetTemplateName(QString::fromLatin1(kDefaultTemplateName));
}

void CreateEditQuickFax::showEvent(QShowEvent* event) {
    const bool noSender = settings_.Name.empty() && settings_.Company.empty() &&
                          settings_.Fax.empty() && settings_.Voice.empty();
    ChangeSenderInfoButton->setToolTip(noSender ? QStringLiteral("No sender information entered")
                                                : platform::WithLineBreaks(SenderHint(settings_)));
    CurrentQFileLabel->setText(templateName_);
    QDialog::showEvent(event);
}

void CreateEditQuickFax::SetTemplateName(const QString& name) {
    templateName_ = name;
    CurrentQFileLabel->setText(name);
}

QCheckBox* CreateEditQuickFax::FlagBox(std::size_t index) const {
    const std::array<QCheckBox*, 5> boxes{cUrgent, cForReview, cPleaseComment, cPleaseReply,
                                          cPleaseRecycle};
    return boxes[index];
}

void CreateEditQuickFax::SetFlags(const CoverValues& values) {
    for (std::size_t i = 0; i < kCoverFlags.size(); ++i)
        FlagBox(i)->setChecked(values.*kCoverFlags[i].member);
}

void CreateEditQuickFax::ReadFlags(CoverValues& values) const {
    for (std::size_t i = 0; i < kCoverFlags.size(); ++i)
        values.*kCoverFlags[i].member = FlagBox(i)->isChecked();
}

void CreateEditQuickFax::SetMessageLines(const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << Q(line);
    FaxMessage->setPlainText(text.join(u'\n'));
}

std::vector<std::string> CreateEditQuickFax::MessageLines() const {
    return SplitLines(FaxMessage->toPlainText().toStdString());
}

void CreateEditQuickFax::OkButtonClick() {
    const CoverCheck check = CheckCover(Recipient->text(), RecipientFax->text(), Regarding->text(),
                                        FaxMessage->toPlainText().isEmpty());
    if (check.field == CoverField::None) {
        accept();
        return;
    }
    platform::CurrentPrompts().ShowInformation(check.message);
    QLineEdit* const focus[] = {nullptr, Recipient, RecipientFax, Regarding};
    focus[static_cast<int>(check.field)]->setFocus(Qt::OtherFocusReason);
}

void CreateEditQuickFax::AddressButtonClick() {
    if (const auto entry = app::PickFromPhoneBook(this)) {
        Recipient->setText(entry->name);
        RecipientFax->setText(entry->number);
    }
}

void CreateEditQuickFax::ExplorerButton1Click() {
    PreviewQuickFaxForms picker(QString::fromStdString(app::CoversDirectory()), templateName_,
                                this);
    if (app::RunCentred(picker) == QDialog::Accepted)
        SetTemplateName(picker.Chosen());
}

void CreateEditQuickFax::ChangeSenderInfoButtonClick() {
    sendui::ChangeSenderInfo(settings_, this);
    ChangeSenderInfoButton->setToolTip(platform::WithLineBreaks(SenderHint(settings_)));
}

}  // namespace corvane::covers
