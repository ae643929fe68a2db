// Receive mode of the main window: its own port and receive session, the
// status line, a received-fax row for every fax that arrives (also for one
// cut short after complete pages, marked incomplete), the received-fax
// sound, and a message for every call that failed.
#pragma once

#include <QObject>

#include <memory>
#include <string>

#include "faxengine/cv_receive_fax.h"
#include "faxengine/fax_progress.h"
#include "platform/fax_port.h"

class QAction;
class QLabel;
class QToolButton;

namespace corvane::app {

class MainScreen;

// The receive session's modem initialisation from the user's init string:
// used as typed when it contains "AT" in any letter case, else "AT" is put
// in front; empty keeps the session's own.
std::string ReceiveModemInit(const std::string& initString);
// The session's class from the setting (0 auto, 1 class 1, 2 class 2,
// 3 class 2.0); anything else is auto.
engine::FaxClass ReceiveFaxClass(int setting);

class ReceiveMode : public QObject {
    Q_OBJECT
  public:
    explicit ReceiveMode(MainScreen& window);
    ~ReceiveMode() override;

    // The Receive command: starts receive mode, or stops it when on.
    void ReceiveButtonClick();
    // The window closes: the session is cancelled and the port closed.
    void EndForClose();

    // While receive mode is on; for tests and tools.
    platform::FaxPort* Port() const { return port_.get(); }
    engine::CvReceiveFax* Session() const { return fax_.get(); }
    int PagesReceived() const { return pagesReceived_; }

  private:
    // Start steps; false when a step failed and the mode is to be left.
    bool Start();
    void Stop();
    // Cancels the session and closes the port, whatever state they are in.
    void EndSession();
    void ShowIdleCaptions();
    void SetStatus(const QString& text);
    void BindSession();

    void FaxAccept(bool& accept);
    void FaxError(int code);
    void FaxStatus(bool first, bool last);
    void FaxLog(engine::FaxLogCode code);
    void FaxFinish(int code);
    void UpdateValues();
    void FaxArrived();
    // A row for the call's file; complete or cut short with the reason.
    void RecordFax(const std::string& notes);
    void CallFailed();

    MainScreen& window_;
    QToolButton* button_;
    QAction* item_;
    QLabel* status_;
    std::unique_ptr<platform::FaxPort> port_;
    std::unique_ptr<engine::CvReceiveFax> fax_;
    std::string callFile_;  // the file of the call in progress
    int pagesReceived_ = 0;
    int lastFaxError_ = 0;
    // Set while a session event is handled: the session must not be
    // destroyed under itself, so a stop then waits for the handler's end.
    int inHandler_ = 0;
    bool ending_ = false;    // our own cancel is under way
    unsigned sessions_ = 0;  // sessions started, so late news of an old one is ignored
};

}  // namespace corvane::app
