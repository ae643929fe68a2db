// The View command of both lists: the selected fax is prepared into one
// work file, shown in the viewer window with its title, and removed after.
#include <QApplication>
#include <QLabel>
#include <cstdio>

#include "main_screen.h"
#include "platform/prompts.h"
#include "prepare_document.h"
#include "viewer/cv_fax_printer.h"
#include "viewer/fax_viewer.h"
#include "window_placement.h"

namespace corvane::app {
namespace {

// The status panel shown with a text and the hourglass for the command's
// length; both return to what they were at the end.
class BusyStatus {
  public:
    explicit BusyStatus(QLabel& panel) : panel_(panel), wasVisible_(panel.isVisible()) {
        panel_.show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyStatus() {
        Restore();
        panel_.setVisible(wasVisible_);
    }
    void Say(const QString& text) {
        panel_.setText(text);
        QCoreApplication::processEvents();
    }
    void Restore() {
        if (cursorSet_)
            QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }

  private:
    QLabel& panel_;
    bool wasVisible_;
    bool cursorSet_ = true;
};

}  // namespace

void MainScreen::ViewPrintClick() {
    const bool incoming = CurrentPage() == kIncomingPage;
    tables::Table& table = incoming ? received_ : outgoing_;
    if (!table.HasCurrentRow()) {
        Beep();
        return;
    }
    BusyStatus status(*statusPanel_);
    status.Say(QStringLiteral("Preparing files for viewing..."));
    std::string viewFile;
    const PrepareResult prepared =
        incoming ? PrepareIncomingFax(table.Text("FAXFILE"), viewFile)
                 : PrepareOutgoingFax(table.Text("FAXDOC"), table.Text("FAXCOVER"), viewFile);
    if (prepared == PrepareResult::OpenError) {
        status.Restore();
        platform::CurrentPrompts().ShowInformation(QStringLiteral("Error opening fax file"));
        return;
    }
    if (prepared == PrepareResult::NoFile) {
        status.Restore();
        platform::CurrentPrompts().ShowInformation(QStringLiteral("Error - nothing to view"));
        return;
    }

    status.Say(QStringLiteral("Loading viewer..."));
    std::string title = incoming ? IncomingTitle(table.Text("FROM"), table.Text("NOTES"))
                                 : OutgoingTitle(table.Text("RECIPIENT"), table.Text("SUBJECT"));
    if (title.empty())
        title = "Fax printout";
    {
        viewer::FaxViewer window(this);
        RestorePlacement(window, viewer::FaxViewer::kClassName);
        window.SetViewFileName(QString::fromStdString(viewFile));
        window.SetViewTitle(QString::fromStdString(title));
        window.Printer().FaxHeader().caption = QString::fromStdString(title);
        status.Restore();
        platform::CurrentPrompts().Run(window);
        SavePlacement(window, viewer::FaxViewer::kClassName);
    }
    std::remove(viewFile.c_str());
}

}  // namespace corvane::app
