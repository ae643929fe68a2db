#include "cv_fax_viewer.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "display_image.h"
#include "faximage/fax_converter_codes.h"
#include "faximage/fax_errors.h"

namespace corvane::viewer {
namespace {

// One flag for the whole process: a page change arriving while any viewer
// decodes a page is ignored.
bool pageInitBusy = false;

class PageInitGuard {
  public:
    PageInitGuard() { pageInitBusy = true; }
    ~PageInitGuard() { pageInitBusy = false; }
};

void ThrowOnError(int code) {
    if (code != ecOK)
        throw FaxError(code);
}

// The corner of a drag that is this many pixels or more outside scrolls
// two lines per timer step instead of one.
constexpr int kFastScrollDistance = 20;

}  // namespace

CvFaxViewer::CvFaxViewer(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("FaxViewer"));
    resize(100, 50);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::Box);
    autoScrollTimer_.setInterval(kAutoScrollMs);
    connect(&autoScrollTimer_, &QTimer::timeout, this, &CvFaxViewer::AutoScrollStep);
}

CvFaxViewer::~CvFaxViewer() = default;

void CvFaxViewer::SetFileName(const QString& name) {
    EndDrag();
    Unmark();
    pages_.Close();
    fileName_.clear();
    picture_ = {};
    display_ = {};
    pageError_ = 0;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->repaint();
    if (name.isEmpty())
        return;
    ThrowOnError(pages_.Open(name.toStdString()));
    pages_.SetAutoScaleMode(autoScaleMode_);
    pages_.SetWhitespace(whitespaceCompression_ ? whitespaceFrom_ : 0,
                         whitespaceCompression_ ? whitespaceTo_ : 0);
    fileName_ = name;
    currentPage_ = 1;
    horizMult_ = horizDiv_ = vertMult_ = vertDiv_ = 1;
    hm_ = hd_ = vm_ = vd_ = 1;
    SetLoadWholeFax(loadWholeFax_);
    // A file whose first page yields nothing at all is not shown.
    const FaxPage* first = pages_.Page(1);
    if (first && first->code != ecOK && first->picture.IsEmpty()) {
        const int code = first->code;
        pages_.Close();
        fileName_.clear();
        throw FaxError(code);
    }
    InitPage();
}

void CvFaxViewer::SetCurrentPage(int page) {
    if (page == currentPage_ || fileName_.isEmpty())
        return;
    if (page < 1 || page > PageCount())
        throw FaxError(faximage::ecBadArgument);
    if (pageInitBusy)
        return;
    currentPage_ = page;
    InitPage();
}

void CvFaxViewer::GotoFirstPage() {
    if (!fileName_.isEmpty())
        SetCurrentPage(1);
}

void CvFaxViewer::GotoPrevPage() {
    if (!fileName_.isEmpty() && currentPage_ > 1)
        SetCurrentPage(currentPage_ - 1);
}

void CvFaxViewer::GotoNextPage() {
    if (!fileName_.isEmpty() && currentPage_ < PageCount())
        SetCurrentPage(currentPage_ + 1);
}

void CvFaxViewer::GotoLastPage() {
    if (!fileName_.isEmpty())
        SetCurrentPage(PageCount());
}

void CvFaxViewer::SetRotation(int quarterTurns) {
    quarterTurns = ((quarterTurns % 4) + 4) % 4;
    if (!pages_.IsOpen() || quarterTurns == pages_.Rotation())
        return;
    // The spot at the view's centre turns with the page.
    QPointF centre = ViewCentre();
    for (int turn = (quarterTurns - pages_.Rotation() + 4) % 4; turn > 0; --turn)
        centre = QPointF(1.0 - centre.y(), centre.x());
    pages_.SetRotation(quarterTurns);
    InitPage(centre);
}

void CvFaxViewer::SetScaling(bool on) {
    scaling_ = on;
    ApplyScale();
}

void CvFaxViewer::SetFactor(unsigned& field, unsigned value) {
    if (value == 0 || value == field)
        return;
    field = value;
    if (scaling_)
        ApplyScale();
}

void CvFaxViewer::ApplyScale() {
    const auto pair = [](unsigned mult, unsigned div) {
        return mult == div ? std::pair{1, 1}
                           : std::pair{static_cast<int>(std::min(mult, 1u << 16)),
                                       static_cast<int>(std::min(div, 1u << 16))};
    };
    const auto [hm, hd] = scaling_ ? pair(horizMult_, horizDiv_) : std::pair{1, 1};
    const auto [vm, vd] = scaling_ ? pair(vertMult_, vertDiv_) : std::pair{1, 1};
    const bool changed = hm != hm_ || hd != hd_ || vm != vm_ || vd != vd_;
    hm_ = hm;
    hd_ = hd;
    vm_ = vm;
    vd_ = vd;
    if (changed && pages_.IsOpen() && !updateLocked_)
        InitPage(ViewCentre());
}

void CvFaxViewer::EndUpdate() {
    updateLocked_ = false;
    InitPage(ViewCentre());
}

void CvFaxViewer::SetAutoScaleMode(faximage::AutoScaleMode mode) {
    if (mode == autoScaleMode_)
        return;
    autoScaleMode_ = mode;
    pages_.SetAutoScaleMode(mode);
    InitPage();
}

void CvFaxViewer::SetWhitespaceCompression(bool on) {
    whitespaceCompression_ = on;
    ThrowOnError(pages_.SetWhitespace(on ? whitespaceFrom_ : 0, on ? whitespaceTo_ : 0));
    InitPage();
}

void CvFaxViewer::SetWhitespaceFrom(unsigned lines) {
    whitespaceFrom_ = lines;
    if (whitespaceCompression_)
        SetWhitespaceCompression(true);
}

void CvFaxViewer::SetWhitespaceTo(unsigned lines) {
    whitespaceTo_ = lines;
    if (whitespaceCompression_)
        SetWhitespaceCompression(true);
}

void CvFaxViewer::SetHorizScroll(int pixels) {
    if (pixels > 0)
        horizScroll_ = pixels;
    UpdateScrollBars();
}

void CvFaxViewer::SetVertScroll(int pixels) {
    if (pixels > 0)
        vertScroll_ = pixels;
    UpdateScrollBars();
}

void CvFaxViewer::SetLoadWholeFax(bool on) {
    loadWholeFax_ = on;
    pages_.SetKeepAll(on);
    if (!on || !pages_.IsOpen())
        return;
    QApplication::setOverrideCursor(busyCursor_);
    for (int page = 1; page <= pages_.PageCount(); ++page) pages_.Page(page);
    QApplication::restoreOverrideCursor();
}

void CvFaxViewer::SetFGColor(QColor color) {
    fg_ = color;
    RebuildDisplay();
    viewport()->update();
}

void CvFaxViewer::SetBGColor(QColor color) {
    bg_ = color;
    RebuildDisplay();
    viewport()->update();
}

int CvFaxViewer::HorizOffset() const {
    return horizontalScrollBar()->value();
}

int CvFaxViewer::VertOffset() const {
    return verticalScrollBar()->value();
}

int CvFaxViewer::MaxHorizOffset() const {
    return horizontalScrollBar()->maximum();
}

int CvFaxViewer::MaxVertOffset() const {
    return verticalScrollBar()->maximum();
}

void CvFaxViewer::InitPage(std::optional<QPointF> centre) {
    if (!pages_.IsOpen() || pageInitBusy)
        return;
    PageInitGuard guard;
    const bool cached = pages_.IsCached(currentPage_);
    if (!cached)
        QApplication::setOverrideCursor(busyCursor_);
    const FaxPage* page = pages_.Page(currentPage_);
    if (!cached)
        QApplication::restoreOverrideCursor();
    picture_ = page->picture;
    pageError_ = page->code;
    RebuildDisplay();
    EndDrag();
    Unmark();
    SetOffsets(0, 0);
    UpdateScrollBars();
    if (centre)
        CentreOn(*centre);
    viewport()->update();
    if (pageError_ != ecOK && picture_.IsEmpty())
        emit ViewerError(pageError_);
    emit PageChange();
}

void CvFaxViewer::RebuildDisplay() {
    if (picture_.IsEmpty()) {
        display_ = {};
        return;
    }
    const long long width = static_cast<long long>(picture_.Width()) * hm_ / hd_;
    const long long height = static_cast<long long>(picture_.Height()) * vm_ / vd_;
    // A scale that would need more than about 256 MB of screen picture is
    // not drawn.
    if (width <= 0 || height <= 0 || width * height > (64LL << 20)) {
        display_ = {};
        return;
    }
    display_ = DisplayImage(picture_, static_cast<int>(width), static_cast<int>(height), fg_, bg_);
}

void CvFaxViewer::UpdateScrollBars() {
    const QSize visible = viewport()->size();
    const auto update = [](QScrollBar* bar, int shown, int visibleSize, int step) {
        // A page narrower than the view can still be scrolled back to 0.
        const int maximum = shown > visibleSize ? shown - visibleSize : bar->value();
        bar->setRange(0, maximum);
        bar->setPageStep(std::max(visibleSize, 1));
        bar->setSingleStep(step);
    };
    update(horizontalScrollBar(), DisplayWidth(), visible.width(), horizScroll_);
    update(verticalScrollBar(), DisplayHeight(), visible.height(), vertScroll_);
}

void CvFaxViewer::SetOffsets(int horizontal, int vertical) {
    horizontalScrollBar()->setValue(horizontal);
    verticalScrollBar()->setValue(vertical);
}

void CvFaxViewer::ScrollBy(int dx, int dy) {
    SetOffsets(HorizOffset() + dx, VertOffset() + dy);
}

void CvFaxViewer::HomeBoth() {
    SetOffsets(0, 0);
}

QPointF CvFaxViewer::ViewCentre() const {
    const auto fraction = [](int offset, int visible, int shown) {
        if (shown <= visible || shown == 0)
            return 0.5;
        return std::clamp((offset + visible / 2.0) / shown, 0.0, 1.0);
    };
    return {fraction(HorizOffset(), viewport()->width(), DisplayWidth()),
            fraction(VertOffset(), viewport()->height(), DisplayHeight())};
}

void CvFaxViewer::CentreOn(QPointF centre) {
    SetOffsets(static_cast<int>(centre.x() * DisplayWidth() - viewport()->width() / 2.0 + 0.5),
               static_cast<int>(centre.y() * DisplayHeight() - viewport()->height() / 2.0 + 0.5));
}

void CvFaxViewer::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
    // Once back at 0, a bar whose page now fits disappears.
    if ((dx != 0 && HorizOffset() == 0) || (dy != 0 && VertOffset() == 0))
        UpdateScrollBars();
}

void CvFaxViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

bool CvFaxViewer::FirstPageKey() {
    if (currentPage_ == 1)
        HomeBoth();
    else
        SetCurrentPage(1);
    return true;
}

bool CvFaxViewer::LastPageKey() {
    if (PageCount() == 1 || currentPage_ == PageCount())
        HomeBoth();
    else
        SetCurrentPage(PageCount());
    return true;
}

void CvFaxViewer::keyPressEvent(QKeyEvent* event) {
    if (dragging_ || !pages_.IsOpen()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int lines = ctrl ? kJumpLines : 1;
    const int pageEnd = DisplayHeight() > viewport()->height() ? MaxVertOffset() : 0;
    const int lineEnd = DisplayWidth() > viewport()->width() ? MaxHorizOffset() : 0;
    switch (event->key()) {
        case Qt::Key_PageUp:
            ctrl ? SetOffsets(HorizOffset(), 0) : GotoPrevPage();
            break;
        case Qt::Key_PageDown:
            ctrl ? SetOffsets(HorizOffset(), pageEnd) : GotoNextPage();
            break;
        case Qt::Key_Home:
            ctrl ? FirstPageKey() : (SetOffsets(0, VertOffset()), true);
            break;
        case Qt::Key_End:
            ctrl ? LastPageKey() : (SetOffsets(lineEnd, VertOffset()), true);
            break;
        case Qt::Key_Left:
            ScrollBy(-horizScroll_ * lines, 0);
            break;
        case Qt::Key_Right:
            ScrollBy(horizScroll_ * lines, 0);
            break;
        case Qt::Key_Up:
            ScrollBy(0, -vertScroll_ * lines);
            break;
        case Qt::Key_Down:
            ScrollBy(0, vertScroll_ * lines);
            break;
        case Qt::Key_C:
        case Qt::Key_Insert:
            if (!ctrl) {
                QAbstractScrollArea::keyPressEvent(event);
                return;
            }
            CopyToClipboard();
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
}

void CvFaxViewer::keyReleaseEvent(QKeyEvent* event) {
    QAbstractScrollArea::keyReleaseEvent(event);
}

void CvFaxViewer::Unmark() {
    if (marked_)
        viewport()->update();
    marked_ = false;
}

void CvFaxViewer::EndDrag() {
    dragging_ = false;
    autoScrolling_ = false;
    autoScrollTimer_.stop();
}

void CvFaxViewer::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragging_ || display_.isNull()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    Unmark();
    const QPoint at = event->position().toPoint() + QPoint(HorizOffset(), VertOffset());
    anchor_ = QPoint(std::clamp(at.x(), 0, DisplayWidth() - 1),
                     std::clamp(at.y(), 0, DisplayHeight() - 1));
    markRect_ = QRect(anchor_, anchor_);
    lastMouse_ = event->position().toPoint();
    marked_ = dragging_ = true;
    viewport()->update();
}

void CvFaxViewer::UpdateMark(QPoint client) {
    const QPoint at = client + QPoint(HorizOffset(), VertOffset());
    const QPoint corner(std::clamp(at.x(), 0, DisplayWidth() - 1),
                        std::clamp(at.y(), 0, DisplayHeight() - 1));
    markRect_ = QRect(QPoint(std::min(anchor_.x(), corner.x()), std::min(anchor_.y(), corner.y())),
                      QPoint(std::max(anchor_.x(), corner.x()), std::max(anchor_.y(), corner.y())));
    viewport()->update();
}

void CvFaxViewer::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    lastMouse_ = event->position().toPoint();
    const bool outside = !viewport()->rect().contains(lastMouse_);
    if (!outside) {
        autoScrollTimer_.stop();
        autoScrolling_ = false;
        UpdateMark(lastMouse_);
    } else if (!autoScrolling_) {
        AutoScrollStep();
        autoScrollTimer_.start();
        autoScrolling_ = true;
    }
}

void CvFaxViewer::AutoScrollStep() {
    const QRect client = viewport()->rect();
    const auto step = [](int at, int low, int high, int line, int& scroll) {
        if (at < low) {
            scroll = -(at < low - kFastScrollDistance ? 2 : 1) * line;
            return low;
        }
        if (at > high) {
            scroll = (at > high + kFastScrollDistance ? 2 : 1) * line;
            return high;
        }
        scroll = 0;
        return at;
    };
    int dx = 0, dy = 0;
    const int x = step(lastMouse_.x(), client.left(), client.right(), horizScroll_, dx);
    const int y = step(lastMouse_.y(), client.top(), client.bottom(), vertScroll_, dy);
    ScrollBy(dx, dy);
    UpdateMark(QPoint(x, y));
}

void CvFaxViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    EndDrag();
    // A click without movement leaves no mark.
    if (markRect_.width() == 1 && markRect_.height() == 1)
        Unmark();
}

int CvFaxViewer::SelectAll() {
    if (!pages_.IsOpen())
        return ecNoImageLoaded;
    EndDrag();
    marked_ = !display_.isNull();
    markRect_ = QRect(0, 0, DisplayWidth(), DisplayHeight());
    viewport()->update();
    return ecOK;
}

int CvFaxViewer::CopyToClipboard() {
    if (!pages_.IsOpen())
        return ecNoImageLoaded;
    if (!marked_)
        return ecNoBlockMarked;
    // The block in page pixels: the display block scaled back.
    const int left = markRect_.left() * hd_ / hm_;
    const int top = markRect_.top() * vd_ / vm_;
    const int right = std::max((markRect_.right() + 1) * hd_ / hm_, left + 1);
    const int bottom = std::max((markRect_.bottom() + 1) * vd_ / vm_, top + 1);
    QApplication::clipboard()->setImage(MonoBlock(picture_, left, top, right - left, bottom - top));
    return ecOK;
}

void CvFaxViewer::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, bg_);
    if (display_.isNull())
        return;
    const QPoint origin(-HorizOffset(), -VertOffset());
    const QRect shown = QRect(origin, display_.size()).intersected(area);
    painter.drawImage(shown.topLeft(), display_, shown.translated(-origin));
    if (marked_) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(markRect_.translated(origin).intersected(area), Qt::white);
    }
}

void CvFaxViewer::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CvFaxViewer::dropEvent(QDropEvent* event) {
    if (OpenDroppedFiles(event->mimeData()->urls()))
        event->acceptProposedAction();
}

bool CvFaxViewer::OpenDroppedFiles(const QList<QUrl>& urls) {
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return false;
    try {
        SetFileName(urls.front().toLocalFile());
    } catch (const FaxError& error) {
        emit ViewerError(error.code());
    }
    emit DropFile(fileName_);
    return true;
}

}  // namespace corvane::viewer
