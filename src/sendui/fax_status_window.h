// The status window of a send: "Fax Status" with the session's values, the
// page progress and a Cancel button, and the status component the session
// drives (shown at the first status event, refreshed on each, hidden at
// the last).
#pragma once

#include <QDialog>

#include "faxengine/fax_components.h"
#include "status_values.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane::sendui {

class StandardFaxDisplay : public QDialog {
    Q_OBJECT
  public:
    explicit StandardFaxDisplay(QWidget* parent = nullptr);

    void Show(const StatusTexts& texts);

    QLabel* fsPhoneNumber;
    QLabel* fsTotalPages;
    QLabel* fsDialAttempt;
    QLabel* fsRemoteID;
    QLabel* fsConnectBPS;
    QLabel* fsResolution;
    QLabel* fsWidth;
    QLabel* fsErrorControl;
    QLabel* fsCurrentPage;
    QLabel* fsPageLength;
    QLabel* fsBytesTransferred;
    QLabel* fsElapsedTime;
    QLabel* fsStatusMsg;
    QProgressBar* fsProgress;
    QPushButton* fsCancel;

  signals:
    void cancelRequested();

  protected:
    // The window has no close box; Escape cancels the fax instead.
    void reject() override;
};

class CvFaxStatus : public engine::CvAbstractFaxStatus {
  public:
    explicit CvFaxStatus(QWidget* parent);
    ~CvFaxStatus() override;

    void CreateDisplay() override;
    void DestroyDisplay() override;
    void UpdateDisplay(bool first, bool last) override;

    StandardFaxDisplay* Display() const { return display_; }
    // The clock of the session's port; the timers count its ticks.
    void SetClock(const engine::Clock& clock) { clock_ = &clock; }

  private:
    const engine::Clock* clock_ = nullptr;
    QWidget* parent_;
    StandardFaxDisplay* display_ = nullptr;
    StatusTimers timers_;
};

}  // namespace corvane::sendui
