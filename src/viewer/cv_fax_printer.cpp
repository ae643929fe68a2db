#include "cv_fax_printer.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <QPrintDialog>
#include <QTextStream>
#include <QTime>
#include <algorithm>

#include "cv_fax_printer_status.h"
#include "display_image.h"
#include "fax_pages.h"
#include "faximage/fax_errors.h"
#include "faximage/fax_unpacker_component.h"
#include "platform/prompts.h"

namespace corvane::viewer {
namespace {

QString ShortDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString LongTime() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

void ProcessPendingMessages() {
    QCoreApplication::processEvents();
}

}  // namespace

QString ProgressText(int progress) {
    static const char* const texts[] = {"Idle", "Composing", "Rendering", "Submitting",
                                        "Converting"};
    return progress >= 0 && progress < 5 ? QString::fromLatin1(texts[progress]) : QString();
}

CvFaxPrinter::CvFaxPrinter(QObject* parent)
    : QObject(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    const QFont font(QStringLiteral("Arial"), 8);
    header_ = {QStringLiteral("FILE: $F"), true, font, 0};
    footer_ = {QStringLiteral("PAGE: $P of $N"), true, font, 0};
}

CvFaxPrinter::~CvFaxPrinter() = default;

void CvFaxPrinter::SetFileName(const QString& name) {
    if (name == fileName_)
        return;
    fileName_ = name;
    faximage::CvFaxUnpacker unpacker;
    unpacker.SetInFileName(name.toStdString());
    try {
        pageCount_ = unpacker.GetPageCount();
        resolutionCode_ = pageCount_ > 0 && unpacker.IsFirstPageFine() ? 1 : 0;
        widthCode_ = pageCount_ > 0 && unpacker.IsFirstPageWide() ? 1 : 0;
    } catch (const FaxError&) {
        pageCount_ = resolutionCode_ = widthCode_ = 0;
    }
    rangeStart_ = pageCount_ > 0 ? 1 : 0;
    rangeEnd_ = pageCount_;
}

bool CvFaxPrinter::ChoosePageRange(QWidget* parent) {
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(pageCount_ > 0 ? 1 : 0, pageCount_);
    printer_->setPrintRange(QPrinter::PageRange);
    if (rangeStart_ <= rangeEnd_)
        printer_->setFromTo(rangeStart_, rangeEnd_);
    if (platform::CurrentPrompts().Run(dialog) != QDialog::Accepted)
        return false;
    if (printer_->printRange() == QPrinter::PageRange && printer_->fromPage() > 0)
        SetRange(printer_->fromPage(), printer_->toPage());
    else
        SetRange(pageCount_ > 0 ? 1 : 0, pageCount_);
    return true;
}

bool CvFaxPrinter::Running() const {
    return printing_ && !aborted_;
}

void CvFaxPrinter::SetProgress(int progress) {
    if (progress != progress_) {
        progress_ = progress;
        emit FaxPrintStatus(progress);
        if (status_ && status_->isVisible())
            status_->UpdateDisplay(*this, false, false);
    }
    ProcessPendingMessages();
}

void CvFaxPrinter::Log(int code) {
    emit FaxPrintLog(code);
    if (logFileName_.isEmpty())
        return;
    static const char* const events[] = {"started", "finished", "aborted", "failed"};
    QFile file(logFileName_);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    out << "Printing " << fileName_ << ' ' << events[code] << " at " << ShortDate() << ' '
        << LongTime() << '\n';
    if (code != lcStart)
        out << '\n';
}

void CvFaxPrinter::DrawMargin(QPainter& painter, CvFaxPrinterMargin& margin, PrintRect& area,
                              bool top, int page) {
    const TokenValues values{ShortDate().toStdString(), fileName_.toStdString(), pageCount_, page,
                             LongTime().toStdString()};
    const QString text = QString::fromStdString(ExpandTokens(margin.caption.toStdString(), values));
    QFont font = margin.font;
    if (multiPage_ && font.pointSize() > 1)
        font.setPointSize(font.pointSize() / 2);
    painter.setFont(font);
    margin.textHeight = painter.fontMetrics().height();
    const int height = margin.textHeight;
    const QRect line(area.left, top ? area.top : area.bottom - height, area.Width(), height);
    painter.save();
    painter.setClipRect(line);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
    // One device pixel is a hairline on a printer: the rule is about a
    // sixth of a millimetre thick, and the picture starts below it.
    const int rule = std::max(1, painter.device()->logicalDpiY() / 150);
    painter.setPen(QPen(Qt::black, rule, Qt::SolidLine, Qt::FlatCap));
    if (top) {
        area.top += height + 2;
        const int y = area.top + rule / 2;
        painter.drawLine(area.left, y, area.right, y);
        area.top += rule;
    } else {
        area.bottom -= height + 2;
        const int y = area.bottom - rule / 2;
        painter.drawLine(area.left, y, area.right, y);
        area.bottom -= rule;
    }
}

int CvFaxPrinter::PrintPage(QPainter& painter, int page) {
    SetProgress(fppConverting);
    const FaxPage decoded =
        DecodeFaxPage(fileName_.toStdString(), page, faximage::AutoScaleMode::asDoubleHeight);
    ProcessPendingMessages();
    if (!Running())
        return ecOK;
    if (decoded.picture.IsEmpty() && decoded.code != ecOK) {
        Log(lcFail);
        return decoded.code;
    }
    SetProgress(fppComposing);
    const QPaintDevice& device = *painter.device();
    const bool landscape = printer_->pageLayout().orientation() == QPageLayout::Landscape;
    PrintRect area =
        PageArea(device.width(), device.height(), multiPage_, landscape, page - rangeStart_);
    ProcessPendingMessages();
    if (Running() && header_.enabled)
        DrawMargin(painter, header_, area, true, page);
    if (Running() && footer_.enabled)
        DrawMargin(painter, footer_, area, false, page);
    const int height = printScale_ == PrintScale::psFitToPage
                           ? HeightInPixelWidths(decoded.picture.Height())
                           : decoded.picture.Height();
    const PrintSize size =
        DestinationSize(decoded.picture.Width(), height, area.Width(), area.Height(), printScale_);
    SetProgress(fppRendering);
    if (Running() && !decoded.picture.IsEmpty())
        painter.drawImage(QRect(area.left, area.top, size.width, size.height),
                          MonoImage(decoded.picture));
    SetProgress(fppSubmitting);
    if (decoded.picture.IsEmpty())
        Log(lcFail);
    return ecOK;
}

int CvFaxPrinter::PrintFile() {
    if (pageCount_ == 0) {
        printingPage_ = 0;
        return ecOK;
    }
    progress_ = fppIdle;
    aborted_ = false;
    if (status_)
        status_->UpdateDisplay(*this, true, false);
    Log(lcStart);
    printer_->setDocName(caption_);
    QPainter painter;
    if (!painter.begin(printer_.get())) {
        Log(lcFail);
        if (status_)
            status_->UpdateDisplay(*this, false, true);
        return ecPrintFailed;
    }
    printing_ = true;
    int result = ecOK;
    const bool landscape = printer_->pageLayout().orientation() == QPageLayout::Landscape;
    for (int page = rangeStart_; page <= rangeEnd_ && result == ecOK; ++page) {
        printingPage_ = page;
        ProcessPendingMessages();
        if (Running() && StartsNewSheet(page - rangeStart_, multiPage_, landscape))
            printer_->newPage();
        ProcessPendingMessages();
        if (!Running())
            break;
        emit NextPage(page, pageCount_);
        result = PrintPage(painter, page);
        if (!Running())
            break;
    }
    printing_ = false;
    if (aborted_) {
        // A PDF cannot be dropped by the printer: the unfinished file goes.
        painter.end();
        if (printer_->outputFormat() == QPrinter::PdfFormat)
            QFile::remove(printer_->outputFileName());
        return ecOK;
    }
    ProcessPendingMessages();
    painter.end();
    if (result == ecOK)
        Log(lcFinish);
    progress_ = fppIdle;
    if (status_)
        status_->UpdateDisplay(*this, false, true);
    printingPage_ = 0;
    return result;
}

void CvFaxPrinter::CancelPrint() {
    progress_ = fppIdle;
    if (Running()) {
        aborted_ = true;
        printer_->abort();
        printingPage_ = 0;
        Log(lcAbort);
        if (status_)
            status_->UpdateDisplay(*this, false, true);
    }
    ProcessPendingMessages();
}

}  // namespace corvane::viewer
