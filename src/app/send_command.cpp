// The Send command: the selected outgoing fax prepared into one work
// file, handed with the settings to the send dialog, and the outcome
// recorded in its row.
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QLabel>

#include "dialog_support.h"
#include "fax_grid.h"
#include "main_screen.h"
#include "platform/prompts.h"
#include "prepare_document.h"
#include "profile.h"
#include "program_directory.h"
#include "sendui/send_fax_form.h"
#include "sendui/send_form_settings.h"
#include "tables/table_error.h"
#include "text_utils.h"

namespace corvane::app {

namespace {

constexpr std::size_t kLastResultWidth = 100;

// Puts the pointer back and the status panel as it was, however the
// command ends.
class StatusPanelScope {
  public:
    explicit StatusPanelScope(QLabel& panel) : panel_(panel), wasVisible_(panel.isVisible()) {}
    ~StatusPanelScope() {
        Restore();
        QApplication::restoreOverrideCursor();
    }
    void Show(const QString& text) {
        panel_.setText(text);
        panel_.show();
        QApplication::processEvents();
    }
    void Restore() { panel_.setVisible(wasVisible_); }

  private:
    QLabel& panel_;
    bool wasVisible_;
};

}  // namespace

void MainScreen::SendButtonClick() {
    if (!outgoing_.IsOpen() || outgoing_.QueryRecCount() == 0) {
        Beep();
        return;
    }
    const std::uint32_t record = outgoing_.RecNo();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    StatusPanelScope status(*statusPanel_);
    status.Show(QStringLiteral("Preparing fax files..."));
    platform::Prompts& prompts = platform::CurrentPrompts();
    std::string sendFile;
    switch (PrepareOutgoingFax(outgoing_.Text("FAXDOC"), outgoing_.Text("FAXCOVER"), sendFile)) {
        case PrepareResult::OpenError:
            prompts.ShowInformation(QStringLiteral("Error opening fax file"));
            return;
        case PrepareResult::NoFile:
            prompts.ShowInformation(QStringLiteral("Error - No fax file to send"));
            return;
        case PrepareResult::Prepared:
            break;
    }
    const std::string title = OutgoingTitle(outgoing_.Text("RECIPIENT"), outgoing_.Text("SUBJECT"));
    status.Show(QStringLiteral("Preparing Send Fax form..."));

    std::string result;
    {
        sendui::SendFaxForm form(this);
        form.FaxFileName = sendFile;
        form.CoverFileName.clear();
        form.setWindowTitle(QStringLiteral("Send Fax: [") + QString::fromStdString(title) + "]");
        form.RecipientNumber = outgoing_.Text("PHONE");
        sendui::FillSendForm(form, settings_);
        status.Restore();
        QApplication::restoreOverrideCursor();
        RunCentred(form);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        result = form.SendResult;
        sendui::ReadSendForm(form, settings_);
    }
    try {
        SaveSettings(SettingsPath(), settings_);
    } catch (const ProfileWriteError& error) {
        prompts.ShowInformation(QString::fromStdString(error.what()));
    }

    try {
        if (record > 0)
            outgoing_.Go(record);
    } catch (const tables::TableError&) {
    }
    try {
        outgoing_.Edit();
        outgoing_.SetText("LASTRESULT", CutUtf8(result, kLastResultWidth));
        const std::string upper = UpperCase(result);
        if (upper == "SENT" || upper == "OK") {
            const QDateTime now = QDateTime::currentDateTime();
            outgoing_.SetDate("DATESENT",
                              {now.date().year(), now.date().month(), now.date().day()});
            outgoing_.SetText("TIMESENT", now.toString(QStringLiteral("hh:mm")).toStdString());
        }
        outgoing_.Post();
    } catch (const tables::TableError& error) {
        if (outgoing_.IsEditing())
            outgoing_.Cancel();
        prompts.ShowInformation(QString::fromStdString(error.what()));
    }
    faxGrid_->Refresh();
    ::unlink(sendFile.c_str());
    SetButtons();
}

}  // namespace corvane::app
