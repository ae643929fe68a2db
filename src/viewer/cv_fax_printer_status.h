// The fax printer's status window: the file, its format, the range and the
// progress of the job, with an Abort button. Shown by the printer when a
// job starts and hidden when it ends.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane::viewer {

class CvFaxPrinter;

class CvFaxPrinterStatus : public QDialog {
    Q_OBJECT
  public:
    explicit CvFaxPrinterStatus(QWidget* parent = nullptr);

    // first: link to the printer and show; last: hide; else refresh.
    void UpdateDisplay(CvFaxPrinter& printer, bool first, bool last);

    QLabel* fpsFileName;
    QLabel* fpsTotalPages;
    QLabel* fpsResolution;
    QLabel* fpsWidth;
    QLabel* fpsFirstPage;
    QLabel* fpsLastPage;
    QLabel* fpsStatusLine;
    QPushButton* fpsAbortButton;

  private:
    void Refresh();

    CvFaxPrinter* printer_ = nullptr;
};

}  // namespace corvane::viewer
