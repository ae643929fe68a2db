#include "quick_fax.h"

#include <unistd.h>
#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>

#include "app/dialog_support.h"
#include "app/fax_grid.h"
#include "app/fax_settings.h"
#include "app/main_screen.h"
#include "app/program_directory.h"
#include "cover_editor.h"
#include "cover_renderer.h"
#include "covers/files/cover_data_file.h"
#include "platform/prompts.h"
#include "tables/fax_tables.h"
#include "tables/table_error.h"

namespace corvane::covers {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The cover's data file: an existing one in any letter case, else the
// cover's name with ".FCD".
std::string CoverDataPath(const std::string& coverPath) {
    const auto slash = coverPath.rfind('/');
    const std::string directory = coverPath.substr(0, slash + 1);
    std::string name = coverPath.substr(slash + 1);
    if (const auto dot = name.rfind('.'); dot != std::string::npos)
        name.erase(dot);
    return app::FindIgnoringCase(directory, name + ".FCD");
}

void FillFromRow(const tables::Table& row, CreateEditQuickFax& editor) {
    editor.Recipient->setText(Q(row.Text("RECIPIENT")));
    editor.RecipientFax->setText(Q(row.Text("PHONE")));
    editor.Regarding->setText(Q(row.Text("SUBJECT")));
    editor.Notes->setText(Q(row.Text("NOTES")));
    editor.Codes->setText(Q(row.Text("CODES")));
}

void WriteRow(tables::Table& table, const CreateEditQuickFax& editor,
              const std::string& coverName) {
    table.SetText("RECIPIENT", editor.Recipient->text().toStdString());
    table.SetText("SUBJECT", editor.Regarding->text().toStdString());
    table.SetText("PHONE", editor.RecipientFax->text().toStdString());
    table.SetText("NOTES", editor.Notes->text().toStdString());
    table.SetText("CODES", editor.Codes->text().toStdString());
    table.SetText("FAXCOVER", coverName);
    table.Post();
}

void ShowFailure(const QString& what, const std::exception& error) {
    platform::CurrentPrompts().ShowInformation(what + QStringLiteral("\r\r") +
                                               QString::fromLocal8Bit(error.what()));
}

}  // namespace

void FillSenderAndTime(const app::FaxSettings& settings, CoverValues& values) {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    values.Date = locale.toString(now.date(), QLocale::LongFormat).toStdString();
    values.Time = locale.toString(now.time(), QLocale::LongFormat).toStdString();
    values.SenderName = settings.Name;
    values.SenderCompany = settings.Company;
    values.SenderFax = settings.Fax;
    values.SenderVoice = settings.Voice;
}

void EditAddQuickFax(app::MainScreen& screen, bool isNew) {
    tables::Table& table = screen.FaxTable();
    if (!isNew && !table.HasCurrentRow()) {
        platform::CurrentPrompts().Beep();
        return;
    }
    const std::uint32_t record = isNew ? 0 : table.RecNo();
    CreateEditQuickFax editor(screen.Settings(), &screen);
    CoverData data;
    std::string coverPath;
    if (!isNew) {
        const std::string cover = table.Text("FAXCOVER");
        if (!cover.empty()) {
            coverPath = app::FindIgnoringCase(app::SendDirectory(), cover);
            data = ReadCoverDataFile(CoverDataPath(coverPath));
        }
        FillFromRow(table, editor);
    }
    CoverValues flags;
    ApplyFlags(data.flags, flags);
    editor.SetFlags(flags);
    editor.SetTemplateName(Q(data.templateName));
    editor.SetMessageLines(data.message);

    if (app::RunCentred(editor) != QDialog::Accepted) {
        screen.SetButtons();
        return;
    }
    const std::string templatePath = app::CoversDirectory() + editor.TemplateName().toStdString();
    CoverValues values;
    FillSenderAndTime(screen.Settings(), values);
    values.Regarding = editor.Regarding->text().toStdString();
    values.Recipient = editor.Recipient->text().toStdString();
    values.RecipientFax = editor.RecipientFax->text().toStdString();
    editor.ReadFlags(values);
    const std::vector<std::string> message = editor.MessageLines();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string written;
    try {
        written = RenderCover(coverPath, templatePath, values, JoinLines(message));
    } catch (const std::exception& error) {
        QApplication::restoreOverrideCursor();
        ShowFailure(QStringLiteral("The cover sheet could not be made; the fax is unchanged."),
                    error);
        screen.SetButtons();
        return;
    }
    QApplication::restoreOverrideCursor();

    try {
        if (isNew) {
            table.Append();
        } else {
            if (record != 0 && table.RecNo() != record)
                table.Go(record);
            table.Edit();
        }
        WriteRow(table, editor, FileNamePart(written));
    } catch (const std::exception& error) {
        if (table.IsEditing())
            table.Cancel();
        // A new cover no row names would be left behind for nothing.
        if (coverPath.empty())
            ::unlink(written.c_str());
        ShowFailure(QStringLiteral("The fax list could not be updated."), error);
        screen.SetButtons();
        return;
    }
    try {
        WriteCoverDataFile(CoverDataPath(written),
                           {FileNamePart(templatePath), FlagsText(values), message});
    } catch (const std::exception& error) {
        ShowFailure(QStringLiteral("The cover sheet was made, but its data for later editing "
                                   "could not be saved."),
                    error);
    }
    if (isNew)
        tables::FaxTableCloseAndOpen(table, screen.ArchiveFilter());
    screen.OutgoingGrid().Refresh();
    screen.SetButtons();
}

}  // namespace corvane::covers
