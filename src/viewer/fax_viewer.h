// The viewer window: one fax file in the viewing control, a ladder of four
// zoom levels, rotation, page buttons, a status line with the title and
// the page, and printing through the fax printer. The caller sets the file
// and the title, shows it modally and removes its file afterwards.
#pragma once

#include <QDialog>
#include <QString>
#include <map>

class QAction;
class QLabel;
class QPushButton;
class QToolButton;

namespace corvane::viewer {

class CvFaxViewer;
class CvFaxPrinter;
class CvFaxPrinterStatus;

class FaxViewer : public QDialog {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "TFaxViewer";
    static constexpr int kHelpTopic = 1021;

    explicit FaxViewer(QWidget* parent = nullptr);
    ~FaxViewer() override;

    QString ViewFileName() const { return viewFileName_; }
    void SetViewFileName(const QString& name) { viewFileName_ = name; }
    QString ViewTitle() const { return viewTitle_; }
    void SetViewTitle(const QString& title) { viewTitle_ = title; }
    int ZoomLevel() const { return zoomLevel_; }

    CvFaxViewer& Viewer() { return *faxViewer_; }
    CvFaxPrinter& Printer() { return *faxPrinter_; }

    // Opens the file on the first activation; runs from the first showing.
    void FormActivate();
    void SetZoom(int level);
    void ZoomInButtonClick();
    void ZoomOutButtonClick();
    void SetRotation(int quarterTurns);
    void PrintButtonClick();
    void PrintCurrentPageClick();
    void PrinterSetupButtonClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildMenu();
    QToolButton* AddButton(const char* objectName, const QString& hint, const QIcon& icon,
                           const QString& text = {});
    void SetFaxFile();
    void UncheckZoomChoices();
    void UncheckRotationChoices();
    void FaxViewerPageChange();
    void FaxViewerViewerError(int code);
    // The printer gets the control's file; false when there is none.
    bool PreparePrinter();
    void Print();

    CvFaxViewer* faxViewer_;
    CvFaxPrinter* faxPrinter_;
    CvFaxPrinterStatus* printerStatus_;
    QLabel* statusPanel_;
    std::map<int, QAction*> zoomItems_;
    std::map<int, QAction*> rotationItems_;
    std::map<std::string, QToolButton*> buttons_;
    QString viewFileName_;
    QString viewTitle_;
    QString shownFileName_;
    int zoomLevel_ = 100;
    bool firstActivation_ = true;
};

}  // namespace corvane::viewer
