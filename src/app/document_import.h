// Documents taken into the outgoing list from the main window: File >
// "Import Document…" and files dropped on the window. Each document is
// converted with a progress dialog that can cancel it, left in the send
// directory as a printed document would be, taken in as a row, and the
// row's editor opened so the user can enter the number.
#pragma once

#include <QObject>
#include <QStringList>

class QProgressDialog;

namespace corvane::app {

class MainScreen;

// Documents named at start (the desktop opening files with the program) go
// into the send directory as printed ones do, so the program, or one
// already running, takes them in at its activation. Failures are shown.
void SubmitStartDocuments(const QStringList& paths);

class DocumentImport : public QObject {
    Q_OBJECT
  public:
    // Adds the menu item to the screen's File menu and accepts dropped files.
    explicit DocumentImport(MainScreen& screen);

    void ImportDocumentClick();
    // One after the other; a failure is shown and the rest still go in.
    void ImportDocuments(const QStringList& paths);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool ImportDocument(const QString& path);
    void TakeIn(const std::string& faxFile);

    MainScreen& screen_;
    bool busy_ = false;
};

}  // namespace corvane::app
