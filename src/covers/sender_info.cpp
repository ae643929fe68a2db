#include "sender_info.h"

#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialog_support.h"
#include "app/profile.h"
#include "app/program_directory.h"
#include "platform/prompts.h"

namespace corvane::covers {

bool EditSenderInfo(QWidget* parent, app::FaxSettings& settings) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SenderInfo"));
    dialog.setWindowTitle(QStringLiteral("Sender Information"));
    struct Row {
        const char* name;
        const char* caption;
        std::string& value;
    };
    Row rows[] = {{"Name", "&Name:", settings.Name},
                  {"Company", "&Company:", settings.Company},
                  {"FaxNumber", "&Fax number:", settings.Fax},
                  {"Voicenumber", "&Voice number:", settings.Voice}};
    auto* form = new QFormLayout;
    std::vector<QLineEdit*> edits;
    for (const Row& row : rows) {
        QLineEdit* edit = app::MakeEdit(&dialog, row.name, 60);
        edit->setText(QString::fromStdString(row.value));
        edit->setMinimumWidth(280);
        app::EnterMovesToNextField(edit);
        form->addRow(QString::fromLatin1(row.caption), edit);
        edits.push_back(edit);
    }
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addLayout(app::AcceptCancelRow(&dialog, QStringLiteral("&OK")));
    if (app::RunCentred(dialog) != QDialog::Accepted)
        return false;
    for (std::size_t i = 0; i < edits.size(); ++i) rows[i].value = edits[i]->text().toStdString();
    try {
        app::SaveSettings(app::SettingsPath(), settings);
    } catch (const std::exception& error) {
        platform::CurrentPrompts().ShowInformation(
            QStringLiteral("The sender information could not be saved: ") + error.what());
        return false;
    }
    return true;
}

}  // namespace corvane::covers
