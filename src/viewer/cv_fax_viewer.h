// The fax viewing control: one page of an APF file at a time, scaled and
// turned, moved over with the keys, the scroll bars and the mouse; a block
// marked with the mouse can be copied to the clipboard, and a fax file
// dropped on it is opened. Pages decode on demand.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QCursor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <optional>

#include "fax_pages.h"

namespace corvane::viewer {

class CvFaxViewer : public QAbstractScrollArea {
    Q_OBJECT
  public:
    static constexpr int kDefaultScrollStep = 8;
    static constexpr int kJumpLines = 10;
    static constexpr int kAutoScrollMs = 50;

    explicit CvFaxViewer(QWidget* parent = nullptr);
    ~CvFaxViewer() override;

    // Opens the file (empty closes it) on page 1, rotation 0 and scale 1:1;
    // throws FaxError when it cannot be shown, leaving no file open.
    void SetFileName(const QString& name);
    const QString& FileName() const { return fileName_; }
    int PageCount() const { return pages_.PageCount(); }
    int CurrentPage() const { return pages_.IsOpen() ? currentPage_ : 0; }
    // FaxError ecBadArgument for 0 or a page beyond the last.
    void SetCurrentPage(int page);
    void GotoFirstPage();
    void GotoPrevPage();
    void GotoNextPage();
    void GotoLastPage();
    // Width of the current page picture as turned, before scaling.
    int CurrentPageWidth() const { return picture_.Width(); }
    int CurrentPageHeight() const { return picture_.Height(); }
    // Decode error of the current page when only part of it (or none) could be read.
    int CurrentPageError() const { return pageError_; }

    // Quarter turns clockwise, 0 to 3; the view keeps its centre.
    int Rotation() const { return pages_.Rotation(); }
    void SetRotation(int quarterTurns);

    // The four factors count only while Scaling is on; zeros are ignored.
    bool Scaling() const { return scaling_; }
    void SetScaling(bool on);
    void SetHorizMult(unsigned value) { SetFactor(horizMult_, value); }
    void SetHorizDiv(unsigned value) { SetFactor(horizDiv_, value); }
    void SetVertMult(unsigned value) { SetFactor(vertMult_, value); }
    void SetVertDiv(unsigned value) { SetFactor(vertDiv_, value); }
    // Scale changes inside the bracket wait for its end.
    void StartUpdate() { updateLocked_ = true; }
    void EndUpdate();

    void SetAutoScaleMode(faximage::AutoScaleMode mode);
    faximage::AutoScaleMode AutoScaleMode() const { return autoScaleMode_; }
    // Throws FaxError ecBadArgument for limits the unpacker refuses.
    void SetWhitespaceCompression(bool on);
    void SetWhitespaceFrom(unsigned lines);
    void SetWhitespaceTo(unsigned lines);
    void SetHorizScroll(int pixels);
    void SetVertScroll(int pixels);
    void SetLoadWholeFax(bool on);
    void SetBusyCursor(const QCursor& cursor) { busyCursor_ = cursor; }
    void SetFGColor(QColor color);
    void SetBGColor(QColor color);

    // Display geometry: the page as shown and the offsets of the view.
    int DisplayWidth() const { return display_.width(); }
    int DisplayHeight() const { return display_.height(); }
    int HorizOffset() const;
    int VertOffset() const;
    int MaxHorizOffset() const;
    int MaxVertOffset() const;

    // Marked block in display pixels, inclusive; empty when none.
    bool Marked() const { return marked_; }
    QRect MarkRect() const { return marked_ ? markRect_ : QRect(); }
    // ecNoImageLoaded without a file.
    int SelectAll();
    // ecNoImageLoaded without a file, ecNoBlockMarked without a block.
    int CopyToClipboard();

    // The first of the files dropped on the window is opened; a file that
    // cannot be shown is reported as a viewer error. False when none is local.
    bool OpenDroppedFiles(const QList<QUrl>& urls);

    static constexpr int ecNoImageLoaded = -8050;
    static constexpr int ecNoBlockMarked = -8051;

  signals:
    void PageChange();
    void ViewerError(int code);
    void DropFile(const QString& name);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void SetFactor(unsigned& field, unsigned value);
    // The factors in force (1:1 while Scaling is off), equal pairs as 1/1.
    void ApplyScale();
    // Shows the current page; with a centre (fractions of the page's width
    // and height) the view is centred there, otherwise it starts top-left.
    void InitPage(std::optional<QPointF> centre = std::nullopt);
    void RebuildDisplay();
    void UpdateScrollBars();
    void ScrollBy(int dx, int dy);
    void HomeBoth();
    void SetOffsets(int horizontal, int vertical);
    void Unmark();
    void EndDrag();
    void UpdateMark(QPoint client);
    void AutoScrollStep();
    QPointF ViewCentre() const;
    void CentreOn(QPointF centre);
    bool FirstPageKey();
    bool LastPageKey();

    FaxPages pages_;
    QString fileName_;
    int currentPage_ = 0;
    faximage::Raster picture_;  // current page as turned
    int pageError_ = 0;
    QImage display_;
    QColor fg_ = Qt::black;
    QColor bg_ = Qt::white;
    bool scaling_ = false;
    unsigned horizMult_ = 1, horizDiv_ = 1, vertMult_ = 1, vertDiv_ = 1;
    int hm_ = 1, hd_ = 1, vm_ = 1, vd_ = 1;  // in force
    bool updateLocked_ = false;
    faximage::AutoScaleMode autoScaleMode_ = faximage::AutoScaleMode::asDoubleHeight;
    bool whitespaceCompression_ = false;
    unsigned whitespaceFrom_ = 0, whitespaceTo_ = 0;
    int horizScroll_ = kDefaultScrollStep, vertScroll_ = kDefaultScrollStep;
    bool loadWholeFax_ = false;
    QCursor busyCursor_;
    bool marked_ = false;
    QRect markRect_;
    QPoint anchor_;     // the corner of the block that stays put while dragging
    QPoint lastMouse_;  // client position, for the auto-scroll timer
    bool dragging_ = false;
    bool autoScrolling_ = false;
    QTimer autoScrollTimer_;
};

}  // namespace corvane::viewer
