#include "viewer/fax_viewer.h"

#include <QAction>
#include <QLabel>
#include <QPrintDialog>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>

#include <gtest/gtest.h>

#include "../gui/gui_support.h"
#include "pdf_support.h"
#include "viewer/cv_fax_printer.h"
#include "viewer/cv_fax_viewer.h"
#include "viewer_support.h"

namespace corvane::viewer {
namespace {

using testing::TempDir;
using testing::WritePagedFax;

class FaxViewerTest : public ::testing::Test {
  protected:
    FaxViewerTest() : scoped(prompts) {}
    // Shows the window with the file at the control's width.
    void Show(const std::string& path, int controlWidth = 700) {
        window.SetViewFileName(QString::fromStdString(path));
        window.Viewer().setFixedWidth(controlWidth);
        window.show();
    }
    QString Status() { return window.findChild<QLabel*>("StatusPanel")->text(); }
    QToolButton* Button(const char* name) { return window.findChild<QToolButton*>(name); }
    QAction* Item(const char* name) { return window.findChild<QAction*>(name); }

    TempDir dir;
    testing::ScriptedPrompts prompts;
    platform::ScopedPrompts scoped;
    FaxViewer window;
};

TEST_F(FaxViewerTest, PageButtonsShowOnlyForSeveralPages) {
    const std::string one = WritePagedFax(dir, "one.apf", 1);
    Show(one);
    for (const char* name : {"FirstButton", "PrevButton", "NextButton", "LastButton"})
        EXPECT_TRUE(Button(name)->isHidden()) << name;
    EXPECT_EQ(Status(), "Page 1 of 1");

    FaxViewer two;
    two.SetViewFileName(QString::fromStdString(WritePagedFax(dir, "two.apf", 2)));
    two.SetViewTitle("12345 - urgent");
    two.show();
    for (const char* name : {"FirstButton", "PrevButton", "NextButton", "LastButton"})
        EXPECT_FALSE(two.findChild<QToolButton*>(name)->isHidden()) << name;
    EXPECT_EQ(two.findChild<QLabel*>("StatusPanel")->text(), "12345 - urgent: Page 1 of 2");
    two.findChild<QToolButton*>("NextButton")->click();
    EXPECT_EQ(two.findChild<QLabel*>("StatusPanel")->text(), "12345 - urgent: Page 2 of 2");
}

TEST_F(FaxViewerTest, TheStartingZoomFollowsTheControlsWidth) {
    const std::string path = WritePagedFax(dir, "fax.apf", 1);
    // 600 of 1728 pixels: 52 in 150, so "100%" (half the page's pixels).
    Show(path, 600);
    EXPECT_EQ(window.ZoomLevel(), 50);
    EXPECT_TRUE(Item("N50PercentItem")->isChecked());
    EXPECT_EQ(window.Viewer().DisplayWidth(), 864);

    FaxViewer narrow;
    narrow.SetViewFileName(QString::fromStdString(path));
    narrow.Viewer().setFixedWidth(400);  // 34 in 150: a quarter
    narrow.show();
    EXPECT_EQ(narrow.ZoomLevel(), 25);
    EXPECT_EQ(narrow.Viewer().DisplayWidth(), 432);
}

TEST_F(FaxViewerTest, TheZoomLadderEndsWithABeep) {
    Show(WritePagedFax(dir, "fax.apf", 1));
    Item("N100PercentItem")->trigger();
    EXPECT_FALSE(window.Viewer().Scaling());
    EXPECT_EQ(window.Viewer().DisplayWidth(), 1728);
    Button("ZoomInButton")->click();
    EXPECT_EQ(prompts.beeps, 1);
    Item("N50PercentItem")->trigger();
    EXPECT_EQ(window.Viewer().DisplayWidth(), 864);
    Button("ZoomOutButton")->click();
    EXPECT_EQ(window.ZoomLevel(), 25);
    Button("ZoomOutButton")->click();
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_TRUE(Item("N25PercentItem")->isChecked());
    EXPECT_FALSE(Item("N50PercentItem")->isChecked());

    Item("Rotate90Item")->trigger();
    EXPECT_EQ(window.Viewer().Rotation(), 1);
    EXPECT_TRUE(Item("Rotate90Item")->isChecked());
    EXPECT_EQ(window.Viewer().DisplayWidth(), 550);
}

TEST_F(FaxViewerTest, AFileThatCannotBeShownSaysSo) {
    Show(dir.Write("bad.apf", "no fax here"));
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_TRUE(prompts.errors[0].startsWith("Error opening fax file"));
    EXPECT_EQ(Status(), "No file loaded");
    EXPECT_TRUE(Button("NextButton")->isHidden());
    // Printing then does nothing.
    window.PrintButtonClick();
    EXPECT_EQ(window.Printer().PageCount(), 0);
}

TEST_F(FaxViewerTest, ADamagedPageShowsWhatDecodedAndAMissingOneIsReported) {
    const std::string path = WritePagedFax(dir, "cut.apf", 2);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 2000);
    testing::ClaimPages(path, 3);
    Show(path);
    Button("NextButton")->click();
    EXPECT_EQ(Status(), "Page 2 of 3 (damaged: showing the part that could be read)");
    EXPECT_GT(window.Viewer().DisplayHeight(), 0);
    EXPECT_TRUE(prompts.errors.empty());
    Button("NextButton")->click();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_TRUE(prompts.errors[0].startsWith("Viewer error -")) << prompts.errors[0].toStdString();
    // The window and the fax stay open.
    Button("FirstButton")->click();
    EXPECT_EQ(Status(), "Page 1 of 3");
}

TEST_F(FaxViewerTest, PrintCurrentPageKeepsItsRangeForTheNextPrint) {
    Show(WritePagedFax(dir, "fax.apf", 4));
    window.Viewer().SetCurrentPage(3);
    QPrinter& printer = window.Printer().Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = QString::fromStdString(dir.path() + "page.pdf");
    printer.setOutputFileName(pdf);
    window.PrintCurrentPageClick();
    EXPECT_EQ(window.Printer().RangeStart(), 3);
    EXPECT_EQ(window.Printer().RangeEnd(), 3);
    QFile::remove(pdf);
    window.PrintButtonClick();
    auto document = testing::LoadPdf(pdf);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->numPages(), 1);
    EXPECT_TRUE(testing::PdfPageText(*document, 0).contains("Page: 3 of 4"));
}

TEST_F(FaxViewerTest, PrinterSetupChoosesTheRangeThatPrintPrints) {
    Show(WritePagedFax(dir, "fax.apf", 4));
    const QString pdf = QString::fromStdString(dir.path() + "range.pdf");
    prompts.dialogHandler = [&pdf](QDialog& dialog) {
        QPrinter& printer = *dynamic_cast<QPrintDialog&>(dialog).printer();
        EXPECT_EQ(printer.fromPage(), 1);
        EXPECT_EQ(printer.toPage(), 4);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setFromTo(2, 3);
        return QDialog::Accepted;
    };
    Button("PrinterSetupButton")->click();
    EXPECT_EQ(window.Printer().RangeStart(), 2);
    EXPECT_EQ(window.Printer().RangeEnd(), 3);
    Button("Printbutton")->click();
    auto document = testing::LoadPdf(pdf);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->numPages(), 2);
    EXPECT_TRUE(testing::PdfPageText(*document, 0).contains("Page: 2 of 4"));
}

TEST_F(FaxViewerTest, PrintWithoutAPrinterOrFileAsksForOneFirst) {
    Show(WritePagedFax(dir, "fax.apf", 2));
    QPrinter& printer = window.Printer().Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName({});
    const QString pdf = QString::fromStdString(dir.path() + "chosen.pdf");
    int asked = 0;
    prompts.dialogHandler = [&](QDialog& dialog) {
        ++asked;
        dynamic_cast<QPrintDialog&>(dialog).printer()->setOutputFileName(pdf);
        return QDialog::Accepted;
    };
    Button("Printbutton")->click();
    EXPECT_EQ(asked, 1);
    auto document = testing::LoadPdf(pdf);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->numPages(), 2);
    // Cancelling the dialog prints nothing.
    printer.setOutputFileName({});
    prompts.dialogHandler = [](QDialog&) { return QDialog::Rejected; };
    Button("Printbutton")->click();
    EXPECT_TRUE(prompts.errors.empty());
}

}  // namespace
}  // namespace corvane::viewer
