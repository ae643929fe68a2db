#include "viewer/cv_fax_viewer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

#include "faximage/fax_errors.h"
#include "viewer_support.h"

namespace corvane::viewer {
namespace {

using testing::Press;
using testing::TempDir;
using testing::WritePagedFax;

class CvFaxViewerTest : public ::testing::Test {
  protected:
    CvFaxViewerTest() {
        control.resize(800, 600);
        control.show();
    }
    void Open(int pages) {
        control.SetFileName(QString::fromStdString(WritePagedFax(dir, "fax.apf", pages)));
    }
    // The spot of the page at the view's centre, as fractions of the page.
    QPointF Centre() const {
        return {
            (control.HorizOffset() + control.viewport()->width() / 2.0) / control.DisplayWidth(),
            (control.VertOffset() + control.viewport()->height() / 2.0) / control.DisplayHeight()};
    }
    QWidget* view() { return control.viewport(); }

    TempDir dir;
    CvFaxViewer control;
};

TEST_F(CvFaxViewerTest, KeysOnAOnePageFaxOnlyMoveOverThePage) {
    Open(1);
    const int visibleWidth = control.viewport()->width();
    // At 1:1 the whole page can be scrolled into view, to its last column.
    EXPECT_EQ(control.MaxHorizOffset(), 1728 - visibleWidth);
    EXPECT_EQ(control.MaxVertOffset(), 2200 - control.viewport()->height());

    Press(&control, Qt::Key_Down);
    Press(&control, Qt::Key_Right);
    EXPECT_EQ(control.VertOffset(), 8);
    EXPECT_EQ(control.HorizOffset(), 8);
    Press(&control, Qt::Key_Down, Qt::ControlModifier);
    Press(&control, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(control.VertOffset(), 88);
    EXPECT_EQ(control.HorizOffset(), 88);
    Press(&control, Qt::Key_PageDown);  // no next page: nothing
    EXPECT_EQ(control.CurrentPage(), 1);
    EXPECT_EQ(control.VertOffset(), 88);
    Press(&control, Qt::Key_End);
    EXPECT_EQ(control.HorizOffset(), control.MaxHorizOffset());
    Press(&control, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(control.VertOffset(), control.MaxVertOffset());
    Press(&control, Qt::Key_Home);
    EXPECT_EQ(control.HorizOffset(), 0);
    Press(&control, Qt::Key_Right);
    // The last page already shown: Ctrl+End goes to the top-left corner.
    Press(&control, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(control.CurrentPage(), 1);
    EXPECT_EQ(control.HorizOffset(), 0);
    EXPECT_EQ(control.VertOffset(), 0);
    Press(&control, Qt::Key_Up);
    Press(&control, Qt::Key_Left);
    EXPECT_EQ(control.VertOffset(), 0);
    EXPECT_EQ(control.HorizOffset(), 0);
}

TEST_F(CvFaxViewerTest, KeysOnAManyPageFaxTurnPagesAndStartTopLeft) {
    Open(4);
    QSignalSpy changes(&control, &CvFaxViewer::PageChange);
    Press(&control, Qt::Key_Down, Qt::ControlModifier);
    Press(&control, Qt::Key_PageDown);
    EXPECT_EQ(control.CurrentPage(), 2);
    EXPECT_EQ(control.VertOffset(), 0);
    Press(&control, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(control.CurrentPage(), 4);
    Press(&control, Qt::Key_PageDown);
    EXPECT_EQ(control.CurrentPage(), 4);
    Press(&control, Qt::Key_PageUp);
    EXPECT_EQ(control.CurrentPage(), 3);
    Press(&control, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(control.CurrentPage(), 1);
    Press(&control, Qt::Key_PageUp);
    EXPECT_EQ(control.CurrentPage(), 1);
    EXPECT_EQ(changes.count(), 4);
    // The page shown is the page asked for: its bar sits at 100 × page.
    control.SetCurrentPage(3);
    EXPECT_EQ(control.CurrentPage(), 3);
    EXPECT_THROW(control.SetCurrentPage(5), FaxError);
    EXPECT_THROW(control.SetCurrentPage(0), FaxError);
}

TEST_F(CvFaxViewerTest, ZoomAndRotationKeepTheSpotAtTheCentre) {
    Open(1);
    control.horizontalScrollBar()->setValue(500);
    control.verticalScrollBar()->setValue(900);
    const QPointF before = Centre();

    control.StartUpdate();
    control.SetScaling(true);
    control.SetHorizMult(75);
    control.SetHorizDiv(100);
    control.SetVertMult(75);
    control.SetVertDiv(100);
    control.EndUpdate();
    EXPECT_EQ(control.DisplayWidth(), 1296);
    EXPECT_EQ(control.DisplayHeight(), 1650);
    EXPECT_NEAR(Centre().x(), before.x(), 0.002);
    EXPECT_NEAR(Centre().y(), before.y(), 0.002);

    // A quarter turn clockwise: the spot at (x, y) of the page goes to (1 - y, x).
    control.SetRotation(1);
    EXPECT_EQ(control.DisplayWidth(), 1650);
    EXPECT_EQ(control.DisplayHeight(), 1296);
    EXPECT_NEAR(Centre().x(), 1.0 - before.y(), 0.002);
    EXPECT_NEAR(Centre().y(), before.x(), 0.002);

    // Scaling off again shows the page 1:1; equal factors count as 1 over 1.
    control.SetScaling(false);
    EXPECT_EQ(control.DisplayWidth(), 2200);
    control.SetScaling(true);
    control.SetHorizMult(2);
    control.SetHorizDiv(2);
    control.SetVertMult(1);
    control.SetVertDiv(1);
    EXPECT_EQ(control.DisplayWidth(), 2200);
}

TEST_F(CvFaxViewerTest, AMouseDragMarksABlockThatCopiesToTheClipboard) {
    Open(1);
    control.horizontalScrollBar()->setValue(100);
    QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(50, 60));
    EXPECT_FALSE(control.Marked());  // a click without movement leaves no mark

    QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseMove(view(), QPoint(40, 90));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(40, 90));
    ASSERT_TRUE(control.Marked());
    // Display coordinates, corners swapped as the mouse crossed them.
    EXPECT_EQ(control.MarkRect(), QRect(QPoint(140, 90), QPoint(300, 150)));

    ASSERT_EQ(control.CopyToClipboard(), 0);
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(161, 61));
    // The page's bar lies at rows 100 to 107: rows 10 to 17 of the block.
    EXPECT_EQ(copied.pixelColor(5, 12), QColor(Qt::black));
    EXPECT_EQ(copied.pixelColor(5, 30), QColor(Qt::white));
}

TEST_F(CvFaxViewerTest, DraggingPastTheLeftEdgeScrollsLeftUntilTheStart) {
    Open(1);
    control.horizontalScrollBar()->setValue(100);
    QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(100, 100));
    // 30 pixels outside: two line steps at once, then every 50 ms.
    QTest::mouseMove(view(), QPoint(-30, 100));
    EXPECT_EQ(control.HorizOffset(), 84);
    QTRY_COMPARE_WITH_TIMEOUT(control.HorizOffset(), 0, 2000);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(-30, 100));
    EXPECT_EQ(control.MarkRect().left(), 0);
    EXPECT_EQ(control.MarkRect().right(), 200);
}

TEST_F(CvFaxViewerTest, ADroppedFaxIsOpened) {
    Open(1);
    const std::string other = WritePagedFax(dir, "other.apf", 3);
    QSignalSpy drops(&control, &CvFaxViewer::DropFile);
    QSignalSpy errors(&control, &CvFaxViewer::ViewerError);
    EXPECT_TRUE(control.OpenDroppedFiles({QUrl::fromLocalFile(QString::fromStdString(other))}));
    ASSERT_EQ(drops.count(), 1);
    EXPECT_EQ(control.FileName(), QString::fromStdString(other));
    EXPECT_EQ(control.PageCount(), 3);
    // A dropped file that is no fax is reported, not passed over.
    EXPECT_TRUE(control.OpenDroppedFiles(
        {QUrl::fromLocalFile(QString::fromStdString(dir.Write("a.txt", "text")))}));
    EXPECT_EQ(errors.count(), 1);
    EXPECT_TRUE(control.FileName().isEmpty());
    EXPECT_FALSE(control.OpenDroppedFiles({QUrl("https://example.org/fax.apf")}));
}

TEST_F(CvFaxViewerTest, DamagedFilesShowWhatDecodesAndReportTheRest) {
    EXPECT_THROW(control.SetFileName(QString::fromStdString(dir.Write("junk.apf", "junk"))),
                 FaxError);
    EXPECT_TRUE(control.FileName().isEmpty());
    EXPECT_EQ(control.CurrentPage(), 0);

    // Two pages on file, three claimed: the third cannot be shown.
    const std::string path = WritePagedFax(dir, "short.apf", 2);
    testing::ClaimPages(path, 3);
    control.SetFileName(QString::fromStdString(path));
    QSignalSpy errors(&control, &CvFaxViewer::ViewerError);
    control.SetCurrentPage(3);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_LT(errors.front().front().toInt(), 0);
    EXPECT_EQ(control.DisplayWidth(), 0);
    // The fax stays open: the pages that exist can still be shown.
    control.SetCurrentPage(2);
    EXPECT_EQ(control.DisplayWidth(), 1728);
}

}  // namespace
}  // namespace corvane::viewer
