#include "viewer/cv_fax_printer.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextStream>

#include <gtest/gtest.h>

#include "pdf_support.h"
#include "viewer/cv_fax_printer_status.h"
#include "viewer_support.h"

namespace corvane::viewer {
namespace {

using faximage::Raster;
using testing::TempDir;
using testing::WriteFax;

class CvFaxPrinterTest : public ::testing::Test {
  protected:
    CvFaxPrinterTest() {
        printer.Printer().setOutputFormat(QPrinter::PdfFormat);
        printer.Printer().setOutputFileName(pdf);
        printer.Printer().setPageSize(QPageSize(QPageSize::A4));
        printer.SetLogFileName(QString::fromStdString(dir.path() + "FAXPRINT.LOG"));
    }
    // Pages that are black all over, so their printed size can be measured.
    std::string BlackFax(int pages, int width, int lines, testing::FaxFormat format = {}) {
        Raster page(width, lines);
        page.FillRect(0, 0, width, lines, true);
        WriteFax(dir.path() + "black.apf", std::vector<Raster>(pages, page), format);
        return dir.path() + "black.apf";
    }
    QStringList LogLines() {
        QFile file(QString::fromStdString(dir.path() + "FAXPRINT.LOG"));
        file.open(QIODevice::ReadOnly | QIODevice::Text);
        return QTextStream(&file).readAll().split('\n');
    }

    TempDir dir;
    QString pdf = QString::fromStdString(dir.path() + "out.pdf");
    CvFaxPrinter printer;
};

TEST_F(CvFaxPrinterTest, APrintedPdfHasEveryPageWithItsCaptionsAndThePagesShape) {
    const std::string path = BlackFax(2, 1728, 2200);
    printer.SetFileName(QString::fromStdString(path));
    EXPECT_EQ(printer.PageCount(), 2);
    EXPECT_EQ(printer.ResolutionCode(), 1);
    ASSERT_EQ(printer.PrintFile(), 0);

    auto document = testing::LoadPdf(pdf);
    ASSERT_TRUE(document);
    ASSERT_EQ(document->numPages(), 2);
    for (int page = 0; page < 2; ++page) {
        const QString text = testing::PdfPageText(*document, page);
        EXPECT_TRUE(text.contains(QString::fromStdString("FILE: " + path))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("PAGE: %1 of 2").arg(page + 1)))
            << text.toStdString();
    }
    // A fine page is 1728 pixels at 8.04 per mm by 2200 lines at 7.7 per
    // mm: 215 by 286 mm, an aspect of 0.752.
    const QImage sheet = testing::PdfPageImage(*document, 0, 100);
    const QRect black = testing::DarkBlockAtCentre(sheet);
    ASSERT_FALSE(black.isEmpty());
    EXPECT_NEAR(double(black.width()) / black.height(), 0.752, 0.01);
    // Fitted to the page: it fills the printable height, less the captions.
    EXPECT_GT(black.height(), sheet.height() * 8 / 10);
    const QStringList log = LogLines();
    EXPECT_TRUE(log[0].startsWith(QString::fromStdString("Printing " + path + " started at ")));
    EXPECT_TRUE(log[1].startsWith(QString::fromStdString("Printing " + path + " finished at ")));
    EXPECT_EQ(log[2], "");
}

TEST_F(CvFaxPrinterTest, AStandardPageKeepsItsPhysicalShape) {
    // 1100 standard lines are as tall as 2200 fine ones.
    printer.SetFileName(QString::fromStdString(BlackFax(1, 1728, 1100, {.fine = false})));
    EXPECT_EQ(printer.ResolutionCode(), 0);
    ASSERT_EQ(printer.PrintFile(), 0);
    auto document = testing::LoadPdf(pdf);
    ASSERT_TRUE(document);
    const QImage sheet = testing::PdfPageImage(*document, 0, 100);
    const QRect black = testing::DarkBlockAtCentre(sheet);
    EXPECT_NEAR(double(black.width()) / black.height(), 0.752, 0.01);
}

TEST_F(CvFaxPrinterTest, MultiPagePutsFourPortraitOrTwoLandscapePagesOnASheet) {
    const std::string path = BlackFax(6, 1728, 2200);
    printer.SetFileName(QString::fromStdString(path));
    printer.SetMultiPage(true);
    ASSERT_EQ(printer.PrintFile(), 0);
    auto portrait = testing::LoadPdf(pdf);
    ASSERT_TRUE(portrait);
    EXPECT_EQ(portrait->numPages(), 2);
    EXPECT_TRUE(testing::PdfPageText(*portrait, 0).contains("PAGE: 4 of 6"));
    EXPECT_TRUE(testing::PdfPageText(*portrait, 1).contains("PAGE: 6 of 6"));

    printer.Printer().setPageOrientation(QPageLayout::Landscape);
    printer.SetRange(1, 3);
    ASSERT_EQ(printer.PrintFile(), 0);
    auto landscape = testing::LoadPdf(pdf);
    ASSERT_TRUE(landscape);
    EXPECT_EQ(landscape->numPages(), 2);
    EXPECT_TRUE(testing::PdfPageText(*landscape, 0).contains("PAGE: 2 of 6"));
    EXPECT_FALSE(testing::PdfPageText(*landscape, 0).contains("PAGE: 3 of 6"));
    // Page 2 sits on the right half of the first sheet.
    const QImage sheet = testing::PdfPageImage(*landscape, 0, 50);
    EXPECT_TRUE(testing::HasDark(sheet, QRect(sheet.width() * 3 / 4, sheet.height() / 2, 1, 1)));
    EXPECT_TRUE(testing::HasDark(sheet, QRect(sheet.width() / 4, sheet.height() / 2, 1, 1)));
}

TEST_F(CvFaxPrinterTest, AnEmptyRangeIsAnEmptyJobThatStartsAndFinishes) {
    printer.SetFileName(QString::fromStdString(BlackFax(3, 1728, 200)));
    printer.SetRange(3, 2);
    QSignalSpy pages(&printer, &CvFaxPrinter::NextPage);
    ASSERT_EQ(printer.PrintFile(), 0);
    EXPECT_EQ(pages.count(), 0);
    const QStringList log = LogLines();
    EXPECT_TRUE(log[0].contains(" started at "));
    EXPECT_TRUE(log[1].contains(" finished at "));
}

TEST_F(CvFaxPrinterTest, AbortDropsTheJobAndLogsIt) {
    printer.SetFileName(QString::fromStdString(BlackFax(4, 1728, 400)));
    QObject::connect(&printer, &CvFaxPrinter::NextPage, &printer, [this](int page) {
        if (page == 2)
            printer.CancelPrint();
    });
    ASSERT_EQ(printer.PrintFile(), 0);
    EXPECT_TRUE(printer.Aborted());
    EXPECT_EQ(printer.PrintingPage(), 0);
    EXPECT_FALSE(QFile::exists(pdf));
    const QStringList log = LogLines();
    EXPECT_TRUE(log[0].contains(" started at "));
    EXPECT_TRUE(log[1].contains(" aborted at "));
    EXPECT_FALSE(log.join('\n').contains("finished"));
}

TEST_F(CvFaxPrinterTest, TheStatusWindowShowsTheJobAndItsAbortButtonStopsIt) {
    const std::string path = BlackFax(4, 1728, 400, {.fine = false});
    printer.SetFileName(QString::fromStdString(path));
    CvFaxPrinterStatus status;
    printer.SetStatusDisplay(&status);
    QStringList lines;
    QObject::connect(&printer, &CvFaxPrinter::NextPage, &printer, [&](int page) {
        EXPECT_TRUE(status.isVisible());
        lines << status.fpsStatusLine->text();
        if (page == 3)
            status.fpsAbortButton->click();
    });
    ASSERT_EQ(printer.PrintFile(), 0);
    EXPECT_TRUE(printer.Aborted());
    EXPECT_FALSE(status.isVisible());
    EXPECT_EQ(status.fpsFileName->text(), "BLACK.APF");
    EXPECT_EQ(status.fpsResolution->text(), "standard");
    EXPECT_EQ(status.fpsWidth->text(), "1728");
    EXPECT_EQ(status.fpsLastPage->text(), "4");
    EXPECT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.last().endsWith(" 2 of 4")) << lines.last().toStdString();
    EXPECT_TRUE(LogLines()[1].contains(" aborted at "));
}

TEST_F(CvFaxPrinterTest, AFileWithoutPagesPrintsNothing) {
    printer.SetFileName(QString::fromStdString(dir.Write("junk.apf", "junk")));
    EXPECT_EQ(printer.PageCount(), 0);
    EXPECT_EQ(printer.RangeStart(), 0);
    EXPECT_EQ(printer.PrintFile(), 0);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.path() + "FAXPRINT.LOG")));
}

}  // namespace
}  // namespace corvane::viewer
