#include "document_import.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>

#include "driver_pickup.h"
#include "fax_grid.h"
#include "intake/fax_job.h"
#include "main_screen.h"
#include "platform/prompts.h"
#include "program_directory.h"
#include "tables/fax_tables.h"
#include "tables/table_error.h"

namespace corvane::app {

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr)
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files.append(url.toLocalFile());
    return files;
}

intake::JobDetails DetailsFor(const QString& path) {
    return {"", "", intake::ShownName(path).toStdString()};
}

}  // namespace

void SubmitStartDocuments(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    EnsureWorkDirectories();
    for (const QString& path : paths) {
        const intake::JobResult job =
            intake::SubmitDocument(path, SendDirectory(), DetailsFor(path));
        if (job.conversion.status == intake::ConversionResult::Failed)
            platform::CurrentPrompts().ShowInformation(job.conversion.message);
    }
}

DocumentImport::DocumentImport(MainScreen& screen) : QObject(&screen), screen_(screen) {
    if (auto* file = screen.findChild<QMenu*>(QStringLiteral("FileMenu"))) {
        QAction* item = new QAction(QStringLiteral("&Import Document…"), file);
        item->setObjectName(QStringLiteral("ImportDocumentItem"));
        item->setStatusTip(QStringLiteral("Fax a PDF, PostScript, picture or text file"));
        // Beside the commands that make an outgoing fax.
        const QList<QAction*> actions = file->actions();
        file->insertAction(actions.size() > 2 ? actions[2] : nullptr, item);
        connect(item, &QAction::triggered, this, &DocumentImport::ImportDocumentClick);
    }
    screen.setAcceptDrops(true);
    screen.installEventFilter(this);
}

bool DocumentImport::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &screen_)
        return false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!busy_ && !LocalFiles(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = LocalFiles(drop->mimeData());
        if (files.isEmpty() || busy_)
            return false;
        drop->acceptProposedAction();
        ImportDocuments(files);
        return true;
    }
    return false;
}

void DocumentImport::ImportDocumentClick() {
    const QStringList files = QFileDialog::getOpenFileNames(
        &screen_, QStringLiteral("Import Document"), QString(),
        QStringLiteral("Documents (*.pdf *.ps *.eps *.png *.jpg *.jpeg *.tif *.tiff *.bmp "
                       "*.pbm *.pgm *.ppm *.gif *.txt);;All files (*)"));
    ImportDocuments(files);
}

void DocumentImport::ImportDocuments(const QStringList& paths) {
    if (busy_)
        return;
    busy_ = true;
    for (const QString& path : paths)
        if (!ImportDocument(path))
            break;  // cancelled: the rest are not wanted either
    busy_ = false;
}

bool DocumentImport::ImportDocument(const QString& path) {
    QProgressDialog progress(&screen_);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    progress.setWindowTitle(QStringLiteral("Import Document"));
    progress.setLabelText(QStringLiteral("Converting \"%1\"…").arg(intake::ShownName(path)));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setRange(0, 0);
    progress.show();
    QApplication::processEvents();
    EnsureWorkDirectories();
    const intake::JobResult job = intake::SubmitDocument(
        path, SendDirectory(), DetailsFor(path), [&progress](int done, int total) {
            // The label first: a modal dialog's setValue processes events.
            if (total > 0)
                progress.setLabelText(
                    progress.labelText().section(u'\n', 0, 0) +
                    QStringLiteral("\nPage %1 of %2").arg(std::min(done + 1, total)).arg(total));
            progress.setRange(0, total);
            progress.setValue(done);
            QApplication::processEvents();
            return !progress.wasCanceled();
        });
    progress.hide();
    switch (job.conversion.status) {
        case intake::ConversionResult::Cancelled:
            return false;
        case intake::ConversionResult::Failed:
            platform::CurrentPrompts().ShowInformation(job.conversion.message);
            return true;
        case intake::ConversionResult::Done:
            TakeIn(job.faxFile);
            return true;
    }
    return true;
}

// The job goes in the way a printed one does; the new row becomes the
// current one and its editor opens.
void DocumentImport::TakeIn(const std::string& faxFile) {
    tables::Table& table = screen_.FaxTable();
    if (!table.IsOpen())
        return;  // the job stays in SEND/ and comes in at the next activation
    ProcessPDFaxFile(table, faxFile);
    const std::uint32_t record = table.RecNo();
    try {
        tables::FaxTableCloseAndOpen(table, screen_.ArchiveFilter());
        table.Go(record);
    } catch (const tables::TableError&) {
    }
    screen_.ShowPage(MainScreen::kOutgoingPage);
    screen_.OutgoingGrid().Refresh();
    screen_.SetButtons();
    const std::string name = faxFile.substr(faxFile.rfind('/') + 1);
    if (table.HasCurrentRow() && table.Text("FAXDOC") == name)
        screen_.EditAPFFax();
}

}  // namespace corvane::app
