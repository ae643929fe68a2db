// corvane-fax print: the fax printer from the command line, read back from
// the PDF it writes.
#include <gtest/gtest.h>

#include "../integration/cli_run.h"
#include "pdf_support.h"
#include "viewer_support.h"

namespace corvane::viewer {
namespace {

using integration::RunFaxCommand;
using testing::TempDir;
using testing::WritePagedFax;

class PrintCommandTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string fax = WritePagedFax(dir, "fax.apf", 3);
    std::string pdf = dir.path() + "out.pdf";
};

TEST_F(PrintCommandTest, PrintsARangeWithTheGivenCaptions) {
    const auto run = RunFaxCommand(
        "print", fax + " --pdf " + pdf + " --range 2-3 --header 'To Ann: $P of $N' --no-footer");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    auto document = testing::LoadPdf(QString::fromStdString(pdf));
    ASSERT_TRUE(document);
    ASSERT_EQ(document->numPages(), 2);
    const QString text = testing::PdfPageText(*document, 1);
    EXPECT_TRUE(text.contains("To Ann: 3 of 3")) << text.toStdString();
    EXPECT_FALSE(text.contains("PAGE")) << text.toStdString();
}

TEST_F(PrintCommandTest, DefaultsAndMultiPageLandscape) {
    auto run = RunFaxCommand("print", fax + " --pdf " + pdf);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    auto document = testing::LoadPdf(QString::fromStdString(pdf));
    ASSERT_EQ(document->numPages(), 3);
    EXPECT_TRUE(
        testing::PdfPageText(*document, 2).contains(QString::fromStdString("FILE: " + fax)));
    EXPECT_TRUE(testing::PdfPageText(*document, 2).contains("PAGE: 3 of 3"));

    run = RunFaxCommand("print", fax + " --pdf " + pdf + " --multipage --landscape");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    document = testing::LoadPdf(QString::fromStdString(pdf));
    ASSERT_EQ(document->numPages(), 2);
    const QSizeF sheet = document->page(0)->pageSizeF();
    EXPECT_GT(sheet.width(), sheet.height());
}

TEST_F(PrintCommandTest, RefusesWhatItCannotPrint) {
    const struct {
        std::string arguments;
        int exitCode;
    } cases[] = {
        {fax, 2},                                     // no output named
        {fax + " --pdf a.pdf --printer p", 2},        // two outputs
        {fax + " --pdf " + pdf + " --range 3", 2},    // not a range
        {fax + " --pdf " + pdf + " --range 2-9", 1},  // beyond the fax
        {dir.path() + "none.apf --pdf " + pdf, 1},    // no such fax
        {fax + " --printer no-such-printer-here", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunFaxCommand("print", c.arguments).exitCode, c.exitCode) << c.arguments;
}

}  // namespace
}  // namespace corvane::viewer
