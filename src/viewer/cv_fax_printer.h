// The fax printer: prints a range of pages of an APF file as one job on a
// QPrinter (a real printer or a PDF file), each page framed by a header
// and a footer caption with tokens, fitted to its area, up to four pages
// per sheet. Progress goes to an optional status window with Abort, and
// job events to an optional log file.
#pragma once

#include <QFont>
#include <QObject>
#include <QPrinter>
#include <QString>
#include <memory>

#include "print_layout.h"

class QPainter;
class QWidget;

namespace corvane::viewer {

class CvFaxPrinterStatus;

struct CvFaxPrinterMargin {
    QString caption;
    bool enabled = false;
    QFont font;
    int textHeight = 0;  // printer pixels of the caption last drawn
};

enum FaxPrintProgress { fppIdle, fppComposing, fppRendering, fppSubmitting, fppConverting };
enum FaxPLCode { lcStart, lcFinish, lcAbort, lcFail };

// "Idle", "Composing", ...
QString ProgressText(int progress);

class CvFaxPrinter : public QObject {
    Q_OBJECT
  public:
    explicit CvFaxPrinter(QObject* parent = nullptr);
    ~CvFaxPrinter() override;

    QPrinter& Printer() { return *printer_; }

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption) { caption_ = caption; }
    CvFaxPrinterMargin& FaxHeader() { return header_; }
    CvFaxPrinterMargin& FaxFooter() { return footer_; }
    bool MultiPage() const { return multiPage_; }
    void SetMultiPage(bool on) { multiPage_ = on; }
    PrintScale Scale() const { return printScale_; }
    void SetPrintScale(PrintScale scale) { printScale_ = scale; }
    // Empty means no log.
    void SetLogFileName(const QString& name) { logFileName_ = name; }
    QString LogFileName() const { return logFileName_; }
    void SetStatusDisplay(CvFaxPrinterStatus* status) { status_ = status; }

    // A new name reads the page count, resolution and width of the file
    // and resets the range to every page; an unreadable file has no pages.
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& name);
    int PageCount() const { return pageCount_; }
    int ResolutionCode() const { return resolutionCode_; }
    int WidthCode() const { return widthCode_; }
    int RangeStart() const { return rangeStart_; }
    int RangeEnd() const { return rangeEnd_; }
    void SetRange(int first, int last) {
        rangeStart_ = first;
        rangeEnd_ = last;
    }
    int PrintingPage() const { return printingPage_; }
    int PrintProgress() const { return progress_; }

    // The print dialog, preset to the range; true when confirmed, which
    // takes its range (and its printer or PDF file).
    bool ChoosePageRange(QWidget* parent = nullptr);
    // Prints RangeStart to RangeEnd; 0, or the code of the page that could
    // not be read (the job then ends there), or ecPrintFailed when the
    // printer could not be started. Nothing happens without pages.
    int PrintFile();
    // The Abort button: the job is dropped and PrintFile returns.
    void CancelPrint();
    bool Aborted() const { return aborted_; }

    static constexpr int ecPrintFailed = -8060;

  signals:
    void NextPage(int page, int total);
    void FaxPrintLog(int code);
    void FaxPrintStatus(int progress);

  private:
    void SetProgress(int progress);
    void Log(int code);
    bool Running() const;
    // Draws the caption at the top (or bottom) of area and shrinks it.
    void DrawMargin(QPainter& painter, CvFaxPrinterMargin& margin, PrintRect& area, bool top,
                    int page);
    int PrintPage(QPainter& painter, int page);

    std::unique_ptr<QPrinter> printer_;
    QString caption_ = QStringLiteral("Fax Printer");
    CvFaxPrinterMargin header_;
    CvFaxPrinterMargin footer_;
    bool multiPage_ = false;
    PrintScale printScale_ = PrintScale::psFitToPage;
    QString logFileName_;
    CvFaxPrinterStatus* status_ = nullptr;
    QString fileName_;
    int pageCount_ = 0;
    int resolutionCode_ = 0;
    int widthCode_ = 0;
    int rangeStart_ = 0;
    int rangeEnd_ = 0;
    int printingPage_ = 0;
    int progress_ = fppIdle;
    bool printing_ = false;
    bool aborted_ = false;
};

}  // namespace corvane::viewer
