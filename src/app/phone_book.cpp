#include "phone_book.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialog_support.h"
#include "fax_grid.h"
#include "grid_columns.h"
#include "help_topics.h"
#include "platform/help_window.h"
#include "platform/prompts.h"
#include "program_directory.h"
#include "table_model.h"
#include "tables/fax_tables.h"

namespace corvane::app {

namespace {

std::string Std(const QString& text) {
    return text.toStdString();
}
QString Qt(const std::string& text) {
    return QString::fromStdString(text);
}

void WriteEntry(tables::Table& table, const PhoneBookEntry& entry) {
    table.SetText("NAME", Std(entry.name));
    table.SetText("PHONE", Std(entry.number));
    table.Post();
}

std::optional<PhoneBookEntry> RunPhoneBook(QWidget* parent, PhoneBook::Mode mode) {
    tables::Table table;
    if (!tables::OpenPhoneTable(table, ProgramDirectory(), false))
        return std::nullopt;
    PhoneBook dialog(table, mode, parent);
    if (RunCentred(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Accepted();
}

}  // namespace

PhoneBookEditor::PhoneBookEditor(const PhoneBookEntry& entry, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PhoneBookEditor"));
    setWindowTitle(QStringLiteral("Phone Book Editor"));
    Name = MakeEdit(this, "Name", 35);
    Number = MakeEdit(this, "Number", 25);
    Name->setText(entry.name);
    Number->setText(entry.number);
    Name->setMinimumWidth(280);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), Name);
    form->addRow(QStringLiteral("Fax Number:"), Number);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(AcceptCancelRow(this, QStringLiteral("&Accept"), kHelpPhoneBookEditor));
}

PhoneBookEntry PhoneBookEditor::Entry() const {
    return {Name->text(), Number->text()};
}

PhoneBook::PhoneBook(tables::Table& table, Mode mode, QWidget* parent)
    : QDialog(parent), table_(table), model_(new TableModel(table, PhoneColumns(), this)) {
    setObjectName(QStringLiteral("PhoneBook"));
    setWindowTitle(QStringLiteral("Phone Book Browser"));
    grid_ = new FaxGrid(*model_, this);
    grid_->setObjectName(QStringLiteral("PhoneGrid"));
    grid_->setMinimumSize(520, 260);

    QPushButton* add = MakeButton(this, "Addbutton", QStringLiteral("&New"));
    modify_ = MakeButton(this, "Modifybutton", QStringLiteral("&Edit"));
    delete_ = MakeButton(this, "Deletebutton", QStringLiteral("&Delete"));
    QPushButton* close = MakeButton(this, "Closebutton", QStringLiteral("C&lose"));
    QPushButton* cancel = MakeButton(this, "Cancelbutton", QStringLiteral("Cance&l"));
    ok_ = MakeButton(this, "OKButton", QStringLiteral("&Accept"));
    QPushButton* help = MakeButton(this, "Helpbutton", QStringLiteral("&Help"));
    const bool picker = mode == Mode::Picker;
    close->setVisible(!picker);
    cancel->setVisible(picker);
    ok_->setVisible(picker);
    ok_->setDefault(picker);
    connect(add, &QPushButton::clicked, this, &PhoneBook::AddbuttonClick);
    connect(modify_, &QPushButton::clicked, this, &PhoneBook::ModifybuttonClick);
    connect(delete_, &QPushButton::clicked, this, &PhoneBook::DeletebuttonClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok_, &QPushButton::clicked, this, &PhoneBook::OKButtonClick);
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelpTopic(kHelpPhoneBook); });

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add, modify_, delete_, ok_, cancel, close, help})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);
    Refresh();
    SetButtonState();
}

PhoneBook::~PhoneBook() = default;

void PhoneBook::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    SetButtonState();
}

void PhoneBook::Refresh() {
    grid_->Refresh();
}

void PhoneBook::SetButtonState() {
    QApplication::processEvents();
    const bool hasRows = table_.QueryRecCount() > 0;
    modify_->setEnabled(hasRows);
    delete_->setEnabled(hasRows);
    ok_->setEnabled(hasRows);
}

void PhoneBook::AddbuttonClick() {
    PhoneBookEditor editor({}, this);
    if (RunCentred(editor) == QDialog::Accepted) {
        table_.Append();
        WriteEntry(table_, editor.Entry());
        Refresh();
    }
    QApplication::processEvents();
    SetButtonState();
}

void PhoneBook::ModifybuttonClick() {
    if (table_.QueryRecCount() == 0) {
        platform::CurrentPrompts().Beep();
        return;
    }
    PhoneBookEditor editor({Qt(table_.Text("NAME")), Qt(table_.Text("PHONE"))}, this);
    if (RunCentred(editor) != QDialog::Accepted)
        return;
    table_.Edit();
    WriteEntry(table_, editor.Entry());
    Refresh();
}

void PhoneBook::DeletebuttonClick() {
    if (table_.QueryRecCount() == 0) {
        platform::CurrentPrompts().Beep();
        return;
    }
    const QString question =
        QStringLiteral("Delete the current phone book entry?:\r") + Qt(table_.Text("NAME"));
    if (platform::CurrentPrompts().AskYesNoDefaultNo(question, QStringLiteral("Delete")))
        table_.Delete();
    Refresh();
    QApplication::processEvents();
    SetButtonState();
}

void PhoneBook::OKButtonClick() {
    if (!table_.HasCurrentRow())
        return;
    accepted_ = PhoneBookEntry{Qt(table_.Text("NAME")), Qt(table_.Text("PHONE"))};
    accept();
}

void BrowsePhoneBook(QWidget* parent) {
    RunPhoneBook(parent, PhoneBook::Mode::Browse);
}

std::optional<PhoneBookEntry> PickFromPhoneBook(QWidget* parent) {
    return RunPhoneBook(parent, PhoneBook::Mode::Picker);
}

}  // namespace corvane::app
