#include "cv_fax_printer_status.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "cv_fax_printer.h"

namespace corvane::viewer {
namespace {

QLabel* MakeLabel(QWidget* parent, const char* objectName, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    return label;
}

}  // namespace

CvFaxPrinterStatus::CvFaxPrinterStatus(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PrinterStatus"));
    setWindowTitle(QStringLiteral("Print Status"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    fpsFileName = MakeLabel(this, "fpsFileName", QStringLiteral("noname"));
    fpsTotalPages = MakeLabel(this, "fpsTotalPages", QStringLiteral("999"));
    fpsResolution = MakeLabel(this, "fpsResolution", QStringLiteral("Normal"));
    fpsWidth = MakeLabel(this, "fpsWidth", QStringLiteral("1728"));
    fpsFirstPage = MakeLabel(this, "fpsFirstPage", QStringLiteral("999"));
    fpsLastPage = MakeLabel(this, "fpsLastPage", QStringLiteral("999"));
    form->addRow(QStringLiteral("Filename"), fpsFileName);
    form->addRow(QStringLiteral("Total Pages"), fpsTotalPages);
    form->addRow(QStringLiteral("Resolution"), fpsResolution);
    form->addRow(QStringLiteral("Width"), fpsWidth);
    form->addRow(QStringLiteral("First Page to Print"), fpsFirstPage);
    form->addRow(QStringLiteral("Last Page to Print"), fpsLastPage);
    column->addLayout(form);
    auto* group = new QGroupBox(QStringLiteral("Status"), this);
    auto* groupColumn = new QVBoxLayout(group);
    fpsStatusLine = MakeLabel(group, "fpsStatusLine", QStringLiteral("Idle"));
    groupColumn->addWidget(fpsStatusLine);
    column->addWidget(group);
    fpsAbortButton = new QPushButton(QStringLiteral("Abort"), this);
    fpsAbortButton->setObjectName(QStringLiteral("fpsAbortButton"));
    column->addWidget(fpsAbortButton, 0, Qt::AlignHCenter);
    connect(fpsAbortButton, &QPushButton::clicked, this, [this] {
        if (printer_)
            printer_->CancelPrint();
    });
    setMinimumWidth(280);
}

void CvFaxPrinterStatus::UpdateDisplay(CvFaxPrinter& printer, bool first, bool last) {
    if (last) {
        hide();
        return;
    }
    printer_ = &printer;
    Refresh();
    if (first) {
        adjustSize();
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
        show();
        raise();
    }
}

void CvFaxPrinterStatus::Refresh() {
    const CvFaxPrinter& printer = *printer_;
    fpsFileName->setText(QFileInfo(printer.FileName()).fileName().toUpper());
    fpsTotalPages->setText(QString::number(printer.PageCount()));
    fpsResolution->setText(printer.ResolutionCode() ? QStringLiteral("high")
                                                    : QStringLiteral("standard"));
    fpsWidth->setText(printer.WidthCode() ? QStringLiteral("2048") : QStringLiteral("1728"));
    fpsFirstPage->setText(QString::number(printer.RangeStart()));
    fpsLastPage->setText(QString::number(printer.RangeEnd()));
    fpsStatusLine->setText(QStringLiteral("%1 %2 of %3")
                               .arg(ProgressText(printer.PrintProgress()))
                               .arg(printer.PrintingPage())
                               .arg(printer.RangeEnd()));
}

}  // namespace corvane::viewer
