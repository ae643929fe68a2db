#include "fax_status_window.h"

#include <QFormLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace corvane::sendui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* ValueLabel(QWidget* parent, const char* name, const char* placeholder) {
    auto* label = new QLabel(QString::fromLatin1(placeholder), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(110);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A sunken panel holding caption/value rows.
QFormLayout* Panel(QVBoxLayout* column) {
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    auto* form = new QFormLayout(frame);
    form->setLabelAlignment(Qt::AlignRight);
    form->setHorizontalSpacing(14);
    form->setVerticalSpacing(3);
    column->addWidget(frame);
    return form;
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    window.adjustSize();
    const QRect area = screen->availableGeometry();
    window.move(area.x() + (area.width() - window.width()) / 2,
                area.y() + (area.height() - window.height()) / 2);
}

}  // namespace

StandardFaxDisplay::StandardFaxDisplay(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("StandardFaxDisplay"));
    setWindowTitle(QStringLiteral("Fax Status"));
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));
    fsPhoneNumber = ValueLabel(this, "fsPhoneNumber", "555-1212");
    fsTotalPages = ValueLabel(this, "fsTotalPages", "99");
    fsDialAttempt = ValueLabel(this, "fsDialAttempt", "1");
    fsRemoteID = ValueLabel(this, "fsRemoteID", "remoteid");
    fsConnectBPS = ValueLabel(this, "fsConnectBPS", "9600");
    fsResolution = ValueLabel(this, "fsResolution", "Normal");
    fsWidth = ValueLabel(this, "fsWidth", "1728");
    fsErrorControl = ValueLabel(this, "fsErrorControl", "off");
    fsCurrentPage = ValueLabel(this, "fsCurrentPage", "1");
    fsPageLength = ValueLabel(this, "fsPageLength", "9999");
    fsBytesTransferred = ValueLabel(this, "fsBytesTransferred", "9999");
    fsElapsedTime = ValueLabel(this, "fsElapsedTime", "99:99");
    fsStatusMsg = ValueLabel(this, "fsStatusMsg", "OK");
    // The elapsed time and countdown are right-aligned to six characters.
    for (QLabel* fixed : {fsElapsedTime})
        fixed->setFont(QFont(QStringLiteral("Liberation Mono"), font().pointSize()));
    fsProgress = new QProgressBar(this);
    fsProgress->setObjectName(QStringLiteral("fsProgress"));
    fsProgress->setRange(0, 100);
    fsProgress->setValue(0);
    fsProgress->setFixedSize(380, 20);
    fsCancel = new QPushButton(QStringLiteral("Cancel"), this);
    fsCancel->setObjectName(QStringLiteral("fsCancel"));
    fsCancel->setAutoDefault(false);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    QFormLayout* call = Panel(column);
    call->addRow(QStringLiteral("Phone number:"), fsPhoneNumber);
    call->addRow(QStringLiteral("Total pages:"), fsTotalPages);
    call->addRow(QStringLiteral("Dial attempt:"), fsDialAttempt);
    QFormLayout* link = Panel(column);
    link->addRow(QStringLiteral("Remote ID:"), fsRemoteID);
    link->addRow(QStringLiteral("Connect BPS:"), fsConnectBPS);
    link->addRow(QStringLiteral("Resolution:"), fsResolution);
    link->addRow(QStringLiteral("Width:"), fsWidth);
    link->addRow(QStringLiteral("Error control:"), fsErrorControl);
    QFormLayout* page = Panel(column);
    page->addRow(QStringLiteral("Current page:"), fsCurrentPage);
    page->addRow(QStringLiteral("Page length:"), fsPageLength);
    QFormLayout* counts = Panel(column);
    counts->addRow(QStringLiteral("Bytes transferred:"), fsBytesTransferred);
    counts->addRow(QStringLiteral("Elapsed time:"), fsElapsedTime);
    QFormLayout* status = Panel(column);
    status->addRow(QStringLiteral("Status:"), fsStatusMsg);
    fsStatusMsg->setMinimumWidth(260);
    QFormLayout* progress = Panel(column);
    progress->addRow(new QLabel(QStringLiteral("Page progress:"), this));
    progress->addRow(fsProgress);
    column->addWidget(fsCancel, 0, Qt::AlignHCenter);
    // Every form's captions share one width, so the values line up.
    int captionWidth = 0;
    for (QFormLayout* form : {call, link, page, counts, status}) {
        for (int row = 0; row < form->rowCount(); ++row) {
            if (QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole))
                captionWidth = std::max(captionWidth, item->widget()->sizeHint().width());
        }
    }
    for (QFormLayout* form : {call, link, page, counts, status}) {
        for (int row = 0; row < form->rowCount(); ++row) {
            if (QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole))
                item->widget()->setMinimumWidth(captionWidth);
        }
    }
    connect(fsCancel, &QPushButton::clicked, this, &StandardFaxDisplay::cancelRequested);
}

void StandardFaxDisplay::Show(const StatusTexts& texts) {
    fsPhoneNumber->setText(Q(texts.phoneNumber));
    fsTotalPages->setText(Q(texts.totalPages));
    fsDialAttempt->setText(Q(texts.dialAttempt));
    fsRemoteID->setText(Q(texts.remoteID));
    fsConnectBPS->setText(Q(texts.connectBPS));
    fsResolution->setText(Q(texts.resolution));
    fsWidth->setText(Q(texts.width));
    fsErrorControl->setText(Q(texts.errorControl));
    fsCurrentPage->setText(Q(texts.currentPage));
    fsPageLength->setText(Q(texts.pageLength));
    fsBytesTransferred->setText(Q(texts.bytesTransferred));
    fsElapsedTime->setText(Q(texts.elapsedTime));
    fsStatusMsg->setText(Q(texts.statusMsg));
    fsProgress->setValue(std::clamp(texts.progress, 0, 100));
}

void StandardFaxDisplay::reject() {
    emit cancelRequested();
}

CvFaxStatus::CvFaxStatus(QWidget* parent) : parent_(parent) {
    CreateDisplay();
}

CvFaxStatus::~CvFaxStatus() {
    DestroyDisplay();
}

void CvFaxStatus::CreateDisplay() {
    if (display_ != nullptr)
        return;
    display_ = new StandardFaxDisplay(parent_);
    display_->hide();
    QObject::connect(display_, &StandardFaxDisplay::cancelRequested, display_, [this] {
        if (fax != nullptr)
            fax->CancelFax();
    });
}

void CvFaxStatus::DestroyDisplay() {
    delete display_;
    display_ = nullptr;
}

void CvFaxStatus::UpdateDisplay(bool first, bool last) {
    if (display_ == nullptr)
        return;
    if (last) {
        display_->hide();
        return;
    }
    if (first) {
        timers_ = {};
        if (visible) {
            CentreOnScreen(*display_);
            display_->show();
            display_->raise();
        }
    }
    const auto* send = dynamic_cast<const engine::CvCustomSendFax*>(fax);
    if (send != nullptr && clock_ != nullptr)
        display_->Show(RefreshStatus(*send, timers_, engine::CurrentTicks(*clock_)));
}

}  // namespace corvane::sendui
