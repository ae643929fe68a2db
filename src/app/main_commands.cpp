// The list commands of the main window: edit, clone, delete, archive,
// show archived, sort, forward, phone book, index rebuild and about.
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "covers/quick_fax.h"
#include "dialog_support.h"
#include "fax_editor.h"
#include "fax_grid.h"
#include "main_screen.h"
#include "phone_book.h"
#include "platform/prompts.h"
#include "program_directory.h"
#include "rebuild_indexes.h"
#include "small_dialogs.h"
#include "tables/fax_tables.h"
#include "tables/table_error.h"
#include "text_utils.h"

namespace corvane::app {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
std::string Std(const QString& text) {
    return text.toStdString();
}

platform::Prompts& Prompts() {
    return platform::CurrentPrompts();
}

bool FileExists(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), F_OK) == 0;
}

// Goes back to a remembered record; a row that is gone or hidden now is
// left as it is.
void GoBack(tables::Table& table, std::uint32_t record) {
    if (record == 0)
        return;
    try {
        table.Go(record);
    } catch (const tables::TableError&) {
    }
}

// The name with its extension replaced, found in its directory without
// regard to letter case.
std::string SiblingWithExtension(const std::string& path, const std::string& extension) {
    const auto slash = path.rfind('/');
    const std::string directory = path.substr(0, slash + 1);
    std::string name = path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return FindIgnoringCase(directory, name + extension);
}

void RemoveFile(const std::string& directory, const std::string& name) {
    if (name.empty())
        return;
    ::unlink(FindIgnoringCase(directory, name).c_str());
}

std::string FileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

void SelectOrder(FaxGrid& grid, const char* tag) {
    tables::Table& table = grid.Model().Table();
    if (!table.IsOpen())
        return;
    try {
        table.SetOrder(table.TagArea(tag));
    } catch (const tables::TableError&) {
    }
    grid.Refresh();
}

void WriteFaxInformation(tables::Table& table, const FaxInformation& values) {
    table.SetText("RECIPIENT", Std(values.recipient));
    table.SetText("SUBJECT", Std(values.subject));
    table.SetText("PHONE", Std(values.faxNumber));
    table.SetText("NOTES", Std(values.notes));
    table.SetText("CODES", Std(values.codes));
}

}  // namespace

void MainScreen::EditButtonClick() {
    if (CurrentPage() == kIncomingPage) {
        EditReceivedFax();
        return;
    }
    if (!outgoing_.HasCurrentRow()) {
        Beep();
        return;
    }
    if (outgoing_.Text("FAXCOVER").empty()) {
        EditAPFFax();
        return;
    }
    covers::EditAddQuickFax(*this, false);
}

void MainScreen::EditAPFFax() {
    FaxEditor editor(this);
    const std::uint32_t record = outgoing_.RecNo();
    editor.SetValues({Q(outgoing_.Text("RECIPIENT")), Q(outgoing_.Text("PHONE")),
                      Q(outgoing_.Text("SUBJECT")), Q(outgoing_.Text("NOTES")),
                      Q(outgoing_.Text("CODES"))});
    if (RunCentred(editor) != QDialog::Accepted)
        return;
    GoBack(outgoing_, record);
    outgoing_.Edit();
    WriteFaxInformation(outgoing_, editor.Values());
    outgoing_.Post();
    faxGrid_->Refresh();
    OutgoingRowChanged();
}

void MainScreen::EditReceivedFax() {
    if (receivingFax_ || !received_.HasCurrentRow()) {
        Beep();
        return;
    }
    const std::uint32_t record = received_.RecNo();
    EditReceiveNotes editor(this);
    editor.Notes->setText(Q(received_.Text("NOTES")));
    editor.Descript->setText(QStringLiteral("From: ") + Q(received_.Text("FROM")));
    if (RunCentred(editor) != QDialog::Accepted)
        return;
    GoBack(received_, record);
    received_.Edit();
    received_.SetText("NOTES", Std(editor.Notes->text()));
    received_.Post();
    recFaxGrid_->Refresh();
}

void MainScreen::CloneButtonClick() {
    if (CurrentPage() != kOutgoingPage)
        return;
    if (outgoing_.QueryRecCount() == 0) {
        Beep();
        return;
    }
    const std::string subject = outgoing_.Text("SUBJECT");
    if (!Prompts().AskYesNoDefaultNo(
            QStringLiteral("Clone the current fax?\r\n(subject: \"") + Q(subject) + "\")",
            QStringLiteral("Clone")))
        return;
    const std::string document = outgoing_.Text("FAXDOC");
    const std::string cover = outgoing_.Text("FAXCOVER");
    if (document.empty() && cover.empty())
        return;
    CloneAPFFax(document.empty() ? std::string() : FindIgnoringCase(SendDirectory(), document),
                cover.empty() ? std::string() : FindIgnoringCase(SendDirectory(), cover),
                outgoing_.Text("PHONE"), outgoing_.Text("RECIPIENT"), subject);
}

void MainScreen::CloneAPFFax(const std::string& documentPath, const std::string& coverPath,
                             const std::string& phone, const std::string& recipient,
                             const std::string& subject) {
    // The copies are made before the row is written, so a row never names a
    // file that is not there; the row is then posted in one step.
    std::string newDocument, newCover;
    if (FileExists(documentPath)) {
        const std::string target = UniqueSendName("FAX");
        if (CopyFileIfDifferent(documentPath, target))
            newDocument = FileName(target);
    }
    const std::string coverData =
        coverPath.empty() ? std::string() : SiblingWithExtension(coverPath, ".fcd");
    if (FileExists(coverPath) && FileExists(coverData)) {
        const std::string target = UniqueSendName("COV");
        if (CopyFileIfDifferent(coverPath, target)) {
            if (CopyFileIfDifferent(coverData, SiblingWithExtension(target, ".fcd")))
                newCover = FileName(target);
            else
                ::unlink(target.c_str());
        }
    }
    outgoing_.Append();
    QApplication::processEvents();
    outgoing_.SetText("FAXDOC", newDocument);
    outgoing_.SetText("FAXCOVER", newCover);
    outgoing_.SetText("RECIPIENT", recipient);
    outgoing_.SetText("SUBJECT", "[clone]" + subject);
    outgoing_.SetText("PHONE", phone);
    outgoing_.Post();
    SetButtons();
    tables::FaxTableCloseAndOpen(outgoing_, archiveFilter_);
    faxGrid_->Refresh();
    SetButtons();
}

void MainScreen::DeleteButtonClick() {
    if (CurrentPage() == kIncomingPage)
        DeleteFromRec();
    else
        DeleteFromSend();
}

void MainScreen::DeleteFromRec() {
    if (received_.QueryRecCount() == 0 || receivingFax_) {
        Beep();
        return;
    }
    const std::uint32_t record = received_.RecNo();
    if (Prompts().AskYesNoDefaultNo(QStringLiteral("Delete the current fax?\r\n(from: \"") +
                                        Q(received_.Text("FROM")) + "\")",
                                    QStringLiteral("Delete"))) {
        GoBack(received_, record);
        const std::string file = received_.Text("FAXFILE");
        received_.Delete();
        recFaxGrid_->Refresh();
        RemoveFile(ReceiveDirectory(), file);
    }
    SetButtons();
}

void MainScreen::DeleteFromSend() {
    if (outgoing_.QueryRecCount() == 0) {
        Beep();
        return;
    }
    const std::uint32_t record = outgoing_.RecNo();
    const std::string document = outgoing_.Text("FAXDOC");
    const std::string cover = outgoing_.Text("FAXCOVER");
    int choice = -1;
    if (!document.empty() && !cover.empty()) {
        DeleteWhat dialog(this);
        if (RunCentred(dialog) == QDialog::Accepted)
            choice = dialog.Choice();
    } else if (Prompts().AskYesNoDefaultNo(
                   QStringLiteral("Delete the current fax?\r\n(subject: \"") +
                       Q(outgoing_.Text("SUBJECT")) + "\")",
                   QStringLiteral("Delete"))) {
        choice = DeleteWhat::DeleteBoth;
    }
    if (choice < 0)
        return;
    GoBack(outgoing_, record);
    const std::string directory = SendDirectory();
    auto removeCover = [&] {
        RemoveFile(directory, cover);
        if (!cover.empty())
            ::unlink(SiblingWithExtension(FindIgnoringCase(directory, cover), ".fcd").c_str());
    };
    switch (choice) {
        case DeleteWhat::DeleteCover:
            outgoing_.Edit();
            outgoing_.SetText("FAXCOVER", "");
            outgoing_.Post();
            removeCover();
            break;
        case DeleteWhat::DeleteBody:
            outgoing_.Edit();
            outgoing_.SetText("FAXDOC", "");
            outgoing_.Post();
            RemoveFile(directory, document);
            break;
        default:
            outgoing_.Delete();
            RemoveFile(directory, document);
            removeCover();
            break;
    }
    faxGrid_->Refresh();
    SetButtons();
    OutgoingRowChanged();
}

void MainScreen::ArchiveButtonClick() {
    const bool incoming = CurrentPage() == kIncomingPage;
    tables::Table& table = incoming ? received_ : outgoing_;
    if (table.QueryRecCount() == 0 || (incoming && receivingFax_)) {
        Beep();
        return;
    }
    const std::uint32_t record = table.RecNo();
    QString question = table.Logical("ARCHIVED") ? QStringLiteral("UnArchive the current fax?\r")
                                                 : QStringLiteral("Archive the current fax?\r");
    if (incoming) {
        const std::string from = table.Text("FROM");
        if (!from.empty())
            question += QStringLiteral("(from: ") + Q(from) + ")";
    } else {
        const std::string subject = table.Text("SUBJECT");
        question += subject.empty() ? QStringLiteral("(no subject)")
                                    : QStringLiteral("(subject: ") + Q(subject) + ")";
    }
    if (Prompts().AskYesNoDefaultNo(question, QStringLiteral("Archive"))) {
        try {
            GoBack(table, record);
            table.Edit();
            table.SetLogical("ARCHIVED", !table.Logical("ARCHIVED"));
            table.Post();
        } catch (const std::exception&) {
            if (table.IsEditing())
                table.Cancel();
        }
        (incoming ? recFaxGrid_ : faxGrid_)->Refresh();
    }
    SetButtons();
}

void MainScreen::ShowArchivedClick() {
    QAction* item = items_["ShowArchivedItem"];
    archiveFilter_ = item->isChecked() ? std::string() : std::string(".not. ARCHIVED");
    ApplyArchiveFilter();
    RefreshGrids();
    SetButtons();
}

void MainScreen::SortOutgoing(QAction* item, const char* tag) {
    item->setChecked(true);
    SelectOrder(*faxGrid_, tag);
}

void MainScreen::SortIncoming(QAction* item, const char* tag) {
    if (receivingFax_) {
        // The check mark goes back to the order in force.
        const bool byFrom = received_.IsOpen() && received_.IndexOrd() != 0 &&
                            received_.IndexOrd() == received_.TagArea("FROM");
        items_[byFrom ? "FromSortItem" : "DateReceivedSortItem"]->setChecked(true);
        Beep();
        return;
    }
    item->setChecked(true);
    SelectOrder(*recFaxGrid_, tag);
}

void MainScreen::ForwardButtonClick() {
    if (!received_.HasCurrentRow())
        return;
    const std::string faxFile = received_.Text("FAXFILE");
    if (faxFile.empty())
        return;
    const std::string source = FindIgnoringCase(ReceiveDirectory(), faxFile);
    if (!FileExists(source))
        return;
    const std::string from = received_.Text("FROM");
    if (!Prompts().AskYesNoDefaultNo(
            QStringLiteral("Forward the current fax to be sent?\r\n(from: ") + Q(from) + ")",
            QStringLiteral("Forward")))
        return;
    FaxEditor editor(this);
    editor.setWindowTitle(QStringLiteral("Forward fax from: ") + Q(from));
    if (RunCentred(editor) != QDialog::Accepted)
        return;
    const std::string target = UniqueSendName("FWD");
    // Without its copy the new row would name no file; nothing is added then.
    if (!CopyFileIfDifferent(source, target))
        return;
    outgoing_.Append();
    WriteFaxInformation(outgoing_, editor.Values());
    outgoing_.SetText("FAXDOC", FileName(target));
    outgoing_.Post();
    ShowPage(kOutgoingPage);
    QApplication::processEvents();
    tables::FaxTableCloseAndOpen(outgoing_, archiveFilter_);
    faxGrid_->Refresh();
    SetButtons();
}

void MainScreen::PhoneBookClick() {
    BrowsePhoneBook(this);
}

void MainScreen::RebuildIndexesClick() {
    faxGrid_->setUpdatesEnabled(false);
    {
        RebuildInd dialog(outgoing_, received_, spare_, this);
        RunCentred(dialog);
    }
    ApplyArchiveFilter();
    RefreshGrids();
    faxGrid_->setUpdatesEnabled(true);
    SetButtons();
}

void MainScreen::AboutClick() {
    QDialog about(this);
    about.setObjectName(QStringLiteral("AboutBox"));
    about.setWindowTitle(QStringLiteral("About Corvane"));
    auto* layout = new QVBoxLayout(&about);
    auto* text = new QLabel(
        QStringLiteral("<h3>Corvane</h3><p>Desktop fax for Linux, version %1.</p>"
                       "<p>Sends and receives faxes through a class 1, class 2 or class 2.0 "
                       "fax modem and keeps them in two lists.</p>")
            .arg(QCoreApplication::applicationVersion()),
        &about);
    text->setWordWrap(true);
    layout->addWidget(text);
    QPushButton* ok = MakeButton(&about, "OKButton", QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, &about, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    RunCentred(about);
}

}  // namespace corvane::app
