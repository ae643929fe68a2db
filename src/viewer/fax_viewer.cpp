#include "fax_viewer.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "cv_fax_printer.h"
#include "cv_fax_printer_status.h"
#include "cv_fax_viewer.h"
#include "faximage/fax_errors.h"
#include "platform/help_window.h"
#include "platform/prompts.h"

namespace corvane::viewer {
namespace {

constexpr int kZoomLevels[] = {25, 50, 75, 100};

struct ZoomItem {
    int level;
    const char* name;
    const char* caption;
};
constexpr ZoomItem kZoomItems[] = {{25, "N25PercentItem", "50%"},
                                   {50, "N50PercentItem", "100%"},
                                   {75, "N75PercentItem", "150%"},
                                   {100, "N100PercentItem", "200%"}};

struct RotationItem {
    int quarterTurns;
    const char* name;
    const char* caption;
};
constexpr RotationItem kRotationItems[] = {{0, "NoRotateItem", "No rotation"},
                                           {1, "Rotate90Item", "Rotate 90 degrees"},
                                           {2, "Rotate180Item", "Rotate 180 degrees"},
                                           {3, "Rotate270Item", "Rotate 270 degrees"}};

// A page wider than the view opens at a quarter when the view is less than
// this share (in 150ths) of the page's width.
constexpr int kQuarterBelow = 37;

}  // namespace

FaxViewer::FaxViewer(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FaxViewer"));
    setWindowTitle(QStringLiteral("Fax Viewer "));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    resize(760, 820);

    faxViewer_ = new CvFaxViewer(this);
    faxViewer_->SetAutoScaleMode(faximage::AutoScaleMode::asDoubleHeight);
    faxViewer_->SetBusyCursor(Qt::WaitCursor);
    connect(faxViewer_, &CvFaxViewer::PageChange, this, &FaxViewer::FaxViewerPageChange);
    connect(faxViewer_, &CvFaxViewer::ViewerError, this, &FaxViewer::FaxViewerViewerError);

    faxPrinter_ = new CvFaxPrinter(this);
    faxPrinter_->SetCaption(QStringLiteral("Corvane Fax Printer"));
    faxPrinter_->FaxHeader().caption = QStringLiteral("FILE: $F");
    faxPrinter_->FaxFooter().caption = QStringLiteral("Page: $P of $N");
    printerStatus_ = new CvFaxPrinterStatus(this);
    faxPrinter_->SetStatusDisplay(printerStatus_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    BuildMenu();
    column->addWidget(faxViewer_, 1);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("ButtonBar"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 4, 4, 4);
    const QStyle* style = this->style();
    row->addWidget(AddButton("FirstButton", QStringLiteral("First page"),
                             style->standardIcon(QStyle::SP_MediaSkipBackward)));
    row->addWidget(AddButton("PrevButton", QStringLiteral("Previous page"),
                             style->standardIcon(QStyle::SP_MediaSeekBackward)));
    row->addWidget(AddButton("NextButton", QStringLiteral("Next page"),
                             style->standardIcon(QStyle::SP_MediaSeekForward)));
    row->addWidget(AddButton("LastButton", QStringLiteral("Last page"),
                             style->standardIcon(QStyle::SP_MediaSkipForward)));
    row->addWidget(AddButton("ZoomInButton", QStringLiteral("Zoom in"), {}, QStringLiteral("+")));
    row->addWidget(AddButton("ZoomOutButton", QStringLiteral("Zoom out"), {}, QStringLiteral("-")));
    row->addWidget(AddButton("PrinterSetupButton", QStringLiteral("Printer setup"),
                             style->standardIcon(QStyle::SP_FileDialogDetailedView)));
    row->addWidget(AddButton("Printbutton", QStringLiteral("Print"), {}, QStringLiteral("Print")));
    row->addWidget(AddButton("ExplorerButton1", QStringLiteral("Print current page"), {},
                             QStringLiteral("Print page")));
    row->addWidget(AddButton("Helpbutton", QStringLiteral("Get Windows help for Fax Viewer"), {},
                             QStringLiteral("&Help")));
    row->addStretch();
    statusPanel_ = new QLabel(QStringLiteral("Loading..."), bar);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel"));
    statusPanel_->setAlignment(Qt::AlignCenter);
    row->addWidget(statusPanel_, 1);
    row->addStretch();
    auto* close = new QPushButton(QStringLiteral("C&lose"), bar);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setToolTip(QStringLiteral("Close the Fax Viewer"));
    close->setDefault(true);
    close->setAutoDefault(true);
    row->addWidget(close);
    column->addWidget(bar);

    for (const char* name : {"FirstButton", "PrevButton", "NextButton", "LastButton"})
        buttons_[name]->hide();
    connect(buttons_["FirstButton"], &QToolButton::clicked, faxViewer_,
            &CvFaxViewer::GotoFirstPage);
    connect(buttons_["PrevButton"], &QToolButton::clicked, faxViewer_, &CvFaxViewer::GotoPrevPage);
    connect(buttons_["NextButton"], &QToolButton::clicked, faxViewer_, &CvFaxViewer::GotoNextPage);
    connect(buttons_["LastButton"], &QToolButton::clicked, faxViewer_, &CvFaxViewer::GotoLastPage);
    connect(buttons_["ZoomInButton"], &QToolButton::clicked, this, &FaxViewer::ZoomInButtonClick);
    connect(buttons_["ZoomOutButton"], &QToolButton::clicked, this, &FaxViewer::ZoomOutButtonClick);
    connect(buttons_["PrinterSetupButton"], &QToolButton::clicked, this,
            &FaxViewer::PrinterSetupButtonClick);
    connect(buttons_["Printbutton"], &QToolButton::clicked, this, &FaxViewer::PrintButtonClick);
    connect(buttons_["ExplorerButton1"], &QToolButton::clicked, this,
            &FaxViewer::PrintCurrentPageClick);
    connect(buttons_["Helpbutton"], &QToolButton::clicked, this,
            [] { platform::ShowHelpTopic(kHelpTopic); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

FaxViewer::~FaxViewer() = default;

QToolButton* FaxViewer::AddButton(const char* objectName, const QString& hint, const QIcon& icon,
                                  const QString& text) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    if (icon.isNull()) {
        button->setText(text);
    } else {
        button->setIcon(icon);
        button->setIconSize(QSize(20, 20));
    }
    button->setMinimumSize(30, 30);
    buttons_[objectName] = button;
    return button;
}

void FaxViewer::BuildMenu() {
    auto* menuBar = new QMenuBar(this);
    layout()->setMenuBar(menuBar);
    QMenu* view = menuBar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    for (const ZoomItem& item : kZoomItems) {
        QAction* action = view->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, level = item.level] { SetZoom(level); });
        zoomItems_[item.level] = action;
    }
    view->addSeparator();
    for (const RotationItem& item : kRotationItems) {
        QAction* action = view->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
                [this, turns = item.quarterTurns] { SetRotation(turns); });
        rotationItems_[item.quarterTurns] = action;
    }
}

void FaxViewer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstActivation_) {
        layout()->activate();
        FormActivate();
    }
}

void FaxViewer::FormActivate() {
    if (!firstActivation_)
        return;
    shownFileName_ = viewFileName_;
    UncheckZoomChoices();
    UncheckRotationChoices();
    SetFaxFile();
    faxViewer_->setFocus();
    firstActivation_ = false;
}

void FaxViewer::SetFaxFile() {
    faxViewer_->StartUpdate();
    faxViewer_->SetScaling(false);
    faxViewer_->EndUpdate();
    try {
        faxViewer_->SetFileName(shownFileName_);
        int level = 50;
        const int width = faxViewer_->width();
        if (width < faxViewer_->CurrentPageWidth())
            level = width * 150 / faxViewer_->CurrentPageWidth();
        SetZoom(level >= kQuarterBelow ? 50 : 25);
        UncheckZoomChoices();
        zoomItems_[zoomLevel_]->setChecked(true);
        FaxViewerPageChange();
    } catch (const FaxError& error) {
        faxViewer_->SetFileName({});
        platform::CurrentPrompts().ShowError(QStringLiteral("Error opening fax file\r\r%1")
                                                 .arg(QString::fromStdString(error.what())));
        statusPanel_->setText(QStringLiteral("No file loaded"));
    }
    const bool pages = faxViewer_->PageCount() > 1;
    for (const char* name : {"FirstButton", "PrevButton", "NextButton", "LastButton"})
        buttons_[name]->setVisible(pages);
}

void FaxViewer::SetZoom(int level) {
    if (level == zoomLevel_)
        return;
    zoomLevel_ = level;
    if (level == 100) {
        faxViewer_->SetScaling(false);
    } else {
        faxViewer_->StartUpdate();
        faxViewer_->SetScaling(true);
        faxViewer_->SetHorizMult(level);
        faxViewer_->SetHorizDiv(100);
        faxViewer_->SetVertMult(level);
        faxViewer_->SetVertDiv(100);
        faxViewer_->EndUpdate();
    }
    UncheckZoomChoices();
    zoomItems_[level]->setChecked(true);
}

void FaxViewer::ZoomInButtonClick() {
    const auto* next = std::upper_bound(std::begin(kZoomLevels), std::end(kZoomLevels), zoomLevel_);
    if (next == std::end(kZoomLevels))
        platform::CurrentPrompts().Beep();
    else
        SetZoom(*next);
}

void FaxViewer::ZoomOutButtonClick() {
    const auto* at = std::lower_bound(std::begin(kZoomLevels), std::end(kZoomLevels), zoomLevel_);
    if (at == std::begin(kZoomLevels))
        platform::CurrentPrompts().Beep();
    else
        SetZoom(*(at - 1));
}

void FaxViewer::SetRotation(int quarterTurns) {
    faxViewer_->SetRotation(quarterTurns);
    UncheckRotationChoices();
    rotationItems_[quarterTurns]->setChecked(true);
}

void FaxViewer::UncheckZoomChoices() {
    for (auto& [level, item] : zoomItems_) item->setChecked(false);
}

void FaxViewer::UncheckRotationChoices() {
    for (auto& [turns, item] : rotationItems_) item->setChecked(false);
}

void FaxViewer::FaxViewerPageChange() {
    if (faxViewer_->FileName().isEmpty()) {
        statusPanel_->setText(QStringLiteral("No file loaded"));
        return;
    }
    QString text =
        QStringLiteral("Page %1 of %2").arg(faxViewer_->CurrentPage()).arg(faxViewer_->PageCount());
    if (!viewTitle_.isEmpty())
        text = viewTitle_ + QStringLiteral(": ") + text;
    if (faxViewer_->CurrentPageError() != ecOK && faxViewer_->CurrentPageHeight() > 0)
        text += QStringLiteral(" (damaged: showing the part that could be read)");
    statusPanel_->setText(text);
}

void FaxViewer::FaxViewerViewerError(int code) {
    platform::CurrentPrompts().ShowError(QStringLiteral("Viewer error %1\r\r%2")
                                             .arg(code)
                                             .arg(QString::fromStdString(ErrorText(code))));
}

bool FaxViewer::PreparePrinter() {
    if (faxViewer_->FileName().isEmpty())
        return false;
    faxPrinter_->SetFileName(faxViewer_->FileName());
    return true;
}

void FaxViewer::Print() {
    faxPrinter_->SetPrintScale(PrintScale::psFitToPage);
    // With no printer to print on (Qt then prints to PDF) and no file
    // chosen yet, the print dialog comes first so a PDF file can be named.
    QPrinter& printer = faxPrinter_->Printer();
    const bool noTarget = printer.outputFormat() == QPrinter::PdfFormat
                              ? printer.outputFileName().isEmpty()
                              : !printer.isValid();
    if (noTarget && !faxPrinter_->ChoosePageRange(this))
        return;
    const int code = faxPrinter_->PrintFile();
    if (code != ecOK)
        platform::CurrentPrompts().ShowError(
            code == CvFaxPrinter::ecPrintFailed
                ? QStringLiteral("The printer could not be started")
                : QStringLiteral("Printing stopped: %1")
                      .arg(QString::fromStdString(ErrorText(code))));
}

void FaxViewer::PrintButtonClick() {
    if (PreparePrinter())
        Print();
}

void FaxViewer::PrintCurrentPageClick() {
    if (!PreparePrinter())
        return;
    faxPrinter_->SetRange(faxViewer_->CurrentPage(), faxViewer_->CurrentPage());
    Print();
}

void FaxViewer::PrinterSetupButtonClick() {
    if (PreparePrinter())
        faxPrinter_->ChoosePageRange(this);
}

}  // namespace corvane::viewer
