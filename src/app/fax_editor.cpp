#include "fax_editor.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialog_support.h"
#include "help_topics.h"
#include "phone_book.h"
#include "platform/help_window.h"

namespace corvane::app {

FaxEditor::FaxEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FaxEditor"));
    setWindowTitle(QStringLiteral("Fax Information Editor"));
    Recipient = MakeEdit(this, "Recipient", 35);
    FaxNumber = MakeEdit(this, "FaxNumber", 25);
    Subject = MakeEdit(this, "Subject", 50);
    Notes = MakeEdit(this, "Notes", 50);
    Codes = MakeEdit(this, "Codes", 25);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Recipient:"), Recipient);
    form->addRow(QStringLiteral("Fax Number:"), FaxNumber);
    form->addRow(QStringLiteral("Subject:"), Subject);
    form->addRow(QStringLiteral("Notes:"), Notes);
    form->addRow(QStringLiteral("Codes:"), Codes);
    for (QLineEdit* edit : {Recipient, FaxNumber, Subject, Notes, Codes}) {
        edit->setMinimumWidth(320);
        EnterMovesToNextField(edit);
    }

    QHBoxLayout* buttons = AcceptCancelRow(this, QStringLiteral("&Accept"));
    QPushButton* phonebook = MakeButton(this, "PhonebookButton", QStringLiteral("&Phonebook"));
    QPushButton* help = MakeButton(this, "HelpButton", QStringLiteral("&Help"));
    connect(phonebook, &QPushButton::clicked, this, &FaxEditor::PhonebookButtonClick);
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelpTopic(kHelpFaxEditor); });
    buttons->addWidget(phonebook);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

void FaxEditor::SetValues(const FaxInformation& values) {
    Recipient->setText(values.recipient);
    FaxNumber->setText(values.faxNumber);
    Subject->setText(values.subject);
    Notes->setText(values.notes);
    Codes->setText(values.codes);
}

FaxInformation FaxEditor::Values() const {
    return {Recipient->text(), FaxNumber->text(), Subject->text(), Notes->text(), Codes->text()};
}

void FaxEditor::PhonebookButtonClick() {
    if (const auto entry = PickFromPhoneBook(this)) {
        Recipient->setText(entry->name);
        FaxNumber->setText(entry->number);
    }
}

}  // namespace corvane::app
