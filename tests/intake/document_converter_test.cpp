// Documents of every kind into fax files, read back through libtiff: pages
// at the right pixels and count, turned, dithered; broken documents give a
// message and leave no file.
#include <gtest/gtest.h>

#include <QImageWriter>
#include <filesystem>

#include "intake/document_converter.h"
#include "intake_support.h"

namespace corvane::intake {
namespace {

using testing::DecodedPage;
using testing::ReadFaxPages;
using testing::TempDir;
using testing::WritePdf;

constexpr QSizeF kA4Points(595.28, 841.89);
constexpr double kA4WidthInches = 8.2677;

struct Converted {
    ConversionResult result;
    std::vector<DecodedPage> pages;
};

Converted Convert(const TempDir& dir, const std::string& document) {
    Converted converted;
    converted.result = ConvertDocument(QString::fromStdString(document), dir.path() + "out.apf");
    if (converted.result.status == ConversionResult::Done)
        converted.pages = ReadFaxPages(dir.path() + "out.apf", dir.path() + "scratch.tif");
    return converted;
}

// The left edge of an A4 page on the fax line: centred at true size.
int A4Left() {
    return (1728 - static_cast<int>(std::lround(kA4WidthInches * 204))) / 2;
}

TEST(DocumentConverter, PdfBoxLandsOnItsFaxPixelsAtTrueSize) {
    TempDir dir;
    // A box one inch from the left and two from the top, two inches wide
    // and one inch tall.
    WritePdf(dir.path() + "box.pdf", kA4Points, 1,
             [](int, QPainter& painter) { painter.fillRect(QRectF(72, 144, 144, 72), Qt::black); });
    const Converted converted = Convert(dir, dir.path() + "box.pdf");
    ASSERT_EQ(converted.result.status, ConversionResult::Done)
        << converted.result.message.toStdString();
    ASSERT_EQ(converted.pages.size(), 1u);
    const DecodedPage& page = converted.pages[0];
    EXPECT_EQ(page.width, 1728);
    EXPECT_TRUE(page.fine);
    EXPECT_NEAR(page.Height(), 11.6929 * 196, 2);
    const int left = A4Left() + 204, right = left + 408, top = 2 * 196, bottom = top + 196;
    EXPECT_EQ(page.Density(left + 3, top + 3, right - 3, bottom - 3), 1.0);
    // White just outside each edge, and everywhere away from the box.
    EXPECT_EQ(page.Density(left - 8, top, left - 3, bottom), 0.0);
    EXPECT_EQ(page.Density(right + 3, top, right + 8, bottom), 0.0);
    EXPECT_EQ(page.Density(left, top - 8, right, top - 3), 0.0);
    EXPECT_EQ(page.Density(left, bottom + 3, right, bottom + 8), 0.0);
    EXPECT_EQ(page.Density(0, bottom + 10, 1728, page.Height()), 0.0);
}

TEST(DocumentConverter, EachPdfPageBecomesOneFaxPage) {
    TempDir dir;
    // Page n carries n bars, so the order shows too.
    WritePdf(dir.path() + "three.pdf", kA4Points, 3, [](int page, QPainter& painter) {
        for (int bar = 0; bar <= page; ++bar)
            painter.fillRect(QRectF(72, 72 + bar * 72, 288, 36), Qt::black);
    });
    const Converted converted = Convert(dir, dir.path() + "three.pdf");
    ASSERT_EQ(converted.result.status, ConversionResult::Done);
    EXPECT_EQ(converted.result.pages, 3);
    ASSERT_EQ(converted.pages.size(), 3u);
    for (int page = 0; page < 3; ++page)
        for (int bar = 0; bar < 3; ++bar)
            EXPECT_EQ(converted.pages[page].Black(A4Left() + 400, 196 + bar * 196 + 40),
                      bar <= page)
                << "page " << page << " bar " << bar;
}

TEST(DocumentConverter, LandscapePageIsTurnedWithItsTopToTheLeft) {
    TempDir dir;
    // A landscape A4 page with a mark one inch square in its top left corner.
    WritePdf(dir.path() + "wide.pdf", QSizeF(kA4Points.height(), kA4Points.width()), 1,
             [](int, QPainter& painter) { painter.fillRect(QRectF(0, 0, 72, 72), Qt::black); });
    const Converted converted = Convert(dir, dir.path() + "wide.pdf");
    ASSERT_EQ(converted.pages.size(), 1u);
    const DecodedPage& page = converted.pages[0];
    EXPECT_NEAR(page.Height(), 11.6929 * 196, 2);  // the long side runs down the fax
    const int left = A4Left();
    EXPECT_EQ(page.Density(left + 3, page.Height() - 190, left + 200, page.Height() - 5), 1.0);
    EXPECT_EQ(page.Density(left + 3, 5, left + 200, 190), 0.0);
    EXPECT_EQ(
        page.Density(1728 - left - 200, page.Height() - 190, 1728 - left - 3, page.Height() - 5),
        0.0);
}

TEST(DocumentConverter, PostScriptGoesThroughGhostscript) {
    TempDir dir;
    // Letter paper, a box an inch in from the left and the bottom.
    dir.Write("box.ps",
              "%!PS-Adobe-3.0\n<< /PageSize [612 792] >> setpagedevice\n"
              "newpath 72 72 moveto 216 72 lineto 216 144 lineto 72 144 lineto closepath fill\n"
              "showpage\n");
    const Converted converted = Convert(dir, dir.path() + "box.ps");
    ASSERT_EQ(converted.result.status, ConversionResult::Done)
        << converted.result.message.toStdString();
    ASSERT_EQ(converted.pages.size(), 1u);
    const DecodedPage& page = converted.pages[0];
    // Letter is a little wider than the fax line: scaled down to fill it.
    const double scale = 1728.0 / (8.5 * 204);
    EXPECT_NEAR(page.Height(), 11 * 196 * scale, 2);
    const int x = static_cast<int>(1.5 * 204 * scale);
    const int y = static_cast<int>((11 - 1.5) * 196 * scale);
    EXPECT_TRUE(page.Black(x, y));
    EXPECT_FALSE(page.Black(x, y - 120));
}

TEST(DocumentConverter, PhotoIsDitheredNotThresholded) {
    TempDir dir;
    QImage photo(600, 400, QImage::Format_RGB32);
    for (int x = 0; x < photo.width(); ++x)
        for (int y = 0; y < photo.height(); ++y)
            photo.setPixel(x, y, qRgb(x * 255 / 599, x * 255 / 599, x * 255 / 599));
    photo.setDotsPerMeterX(3780);  // 96 dpi: 6.25 by 4.2 inches
    photo.setDotsPerMeterY(3780);
    ASSERT_TRUE(photo.save(QString::fromStdString(dir.path() + "photo.jpg"), "JPEG", 95));
    const Converted converted = Convert(dir, dir.path() + "photo.jpg");
    ASSERT_EQ(converted.result.status, ConversionResult::Done)
        << converted.result.message.toStdString();
    ASSERT_EQ(converted.pages.size(), 1u);
    const DecodedPage& page = converted.pages[0];
    EXPECT_NEAR(page.Height(), 400 / 96.0 * 196, 2);
    const int left = (1728 - static_cast<int>(std::lround(600 / 96.0 * 204))) / 2;
    const int across = static_cast<int>(std::lround(600 / 96.0 * 204));
    // Dark on the left, light on the right, a mix of dots in the middle.
    EXPECT_GT(page.Density(left + 5, 50, left + 40, 300), 0.9);
    EXPECT_LT(page.Density(left + across - 40, 50, left + across - 5, 300), 0.1);
    const double middle = page.Density(left + across / 2 - 20, 50, left + across / 2 + 20, 300);
    EXPECT_GT(middle, 0.35);
    EXPECT_LT(middle, 0.65);
}

TEST(DocumentConverter, FaxWidthTiffIsKeptPixelForPixel) {
    TempDir dir;
    for (const auto& [dpi, fine] : {std::pair{196, true}, std::pair{98, false}}) {
        QImage fax(1728, 300, QImage::Format_Mono);
        fax.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        fax.fill(0);
        for (int x = 0; x < 1728; x += 3) fax.setPixel(x, x % 300, 1);
        fax.setDotsPerMeterX(qRound(204 / 0.0254));
        fax.setDotsPerMeterY(qRound(dpi / 0.0254));
        const QString path = QString::fromStdString(dir.path() + "fax.tif");
        QImageWriter writer(path, "tiff");
        writer.setCompression(1);
        ASSERT_TRUE(writer.write(fax)) << writer.errorString().toStdString();
        const Converted converted = Convert(dir, path.toStdString());
        ASSERT_EQ(converted.pages.size(), 1u) << converted.result.message.toStdString();
        const DecodedPage& page = converted.pages[0];
        EXPECT_EQ(page.fine, fine);
        ASSERT_EQ(page.Height(), 300);
        for (int x = 0; x < 1728; ++x) ASSERT_EQ(page.Black(x, x % 300), x % 3 == 0) << x;
    }
}

TEST(DocumentConverter, MultiPageTiffFaxComesBackPageForPage) {
    TempDir dir;
    std::string text;
    for (int line = 1; line <= 150; ++line)
        text += std::to_string(line) + " Mixed text: the quick brown fox\n";
    dir.Write("letter.txt", text);
    ASSERT_EQ(
        ConvertDocument(QString::fromStdString(dir.path() + "letter.txt"), dir.path() + "first.apf")
            .status,
        ConversionResult::Done);
    // The fax as another fax program would keep it: TIFF Class F.
    const std::string command = std::string(CORVANE_BIN_DIR) + "/corvane-fax export " + dir.path() +
                                "first.apf " + dir.path() + "fax.tif";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const Converted converted = Convert(dir, dir.path() + "fax.tif");
    ASSERT_EQ(converted.result.status, ConversionResult::Done)
        << converted.result.message.toStdString();
    const auto first = ReadFaxPages(dir.path() + "first.apf", dir.path() + "scratch.tif");
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(converted.pages.size(), 3u);
    for (std::size_t page = 0; page < 3; ++page) {
        EXPECT_TRUE(converted.pages[page].fine);
        EXPECT_EQ(converted.pages[page].rows, first[page].rows) << "page " << page;
    }
}

TEST(DocumentConverter, TextOf150LinesFillsThreePages) {
    TempDir dir;
    std::string text;
    for (int line = 1; line <= 150; ++line)
        text += "Line " + std::to_string(line) + " of the letter\n";
    dir.Write("letter.txt", text);
    const Converted converted = Convert(dir, dir.path() + "letter.txt");
    ASSERT_EQ(converted.result.status, ConversionResult::Done)
        << converted.result.message.toStdString();
    ASSERT_EQ(converted.pages.size(), 3u);
    const DecodedPage& first = converted.pages[0];
    // Ink inside the margins only: three quarters of an inch at the sides,
    // half an inch at the top.
    EXPECT_GT(first.Density(0, 0, 1728, first.Height()), 0.002);
    EXPECT_EQ(first.Density(0, 0, 1728, 90), 0.0);
    EXPECT_EQ(first.Density(0, 0, A4Left() + 150, first.Height()), 0.0);
    // The last page holds the rest of the lines, so its lower part is blank.
    const DecodedPage& last = converted.pages[2];
    EXPECT_EQ(last.Density(0, last.Height() / 2, 1728, last.Height()), 0.0);
}

struct BadDocument {
    const char* name;
    std::function<void(const TempDir&, const std::string&)> make;
    const char* messagePart;
};

// A PDF whose standard security handler wants a password: poppler cannot
// check the empty user password against this /U entry.
void WriteEncryptedPdf(const TempDir& dir, const std::string& name) {
    const std::string hex32(64, 'A');
    std::string body =
        "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
        "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >> endobj\n"
        "4 0 obj << /Filter /Standard /V 1 /R 2 /O <" +
        hex32 + "> /U <" + hex32 + "> /P -4 >> endobj\n";
    const std::size_t xref = body.size();
    body += "trailer << /Root 1 0 R /Size 5 /Encrypt 4 0 R /ID [<" + std::string(32, '1') + "> <" +
            std::string(32, '1') + ">] >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    dir.Write(name, body);
}

TEST(DocumentConverter, BrokenDocumentsGiveTheirMessageAndNoFile) {
    const std::vector<BadDocument> cases = {
        {"locked.pdf", WriteEncryptedPdf, "password"},
        {"cut.pdf",
         [](const TempDir& dir, const std::string& name) {
             WritePdf(dir.path() + "whole.pdf", kA4Points, 2,
                      [](int, QPainter& p) { p.drawText(100, 100, QStringLiteral("cut")); });
             const std::string whole = dir.Read("whole.pdf");
             dir.Write(name, whole.substr(0, whole.size() / 2));
         },
         "incomplete"},
        {"junk.pdf",
         [](const TempDir& dir, const std::string& name) {
             dir.Write(name, "%PDF-1.4\nnot really\n%%EOF\n");
         },
         "damaged"},
        {"bad.ps",
         [](const TempDir& dir, const std::string& name) { dir.Write(name, "%!PS\n1 0 div\n"); },
         "PostScript"},
        {"empty.txt", [](const TempDir& dir, const std::string& name) { dir.Write(name, ""); },
         "empty"},
        {"blank.txt",
         [](const TempDir& dir, const std::string& name) { dir.Write(name, " \n\t\n"); },
         "no text"},
        {"program.bin",
         [](const TempDir& dir, const std::string& name) {
             dir.Write(name, std::string("\x7f"
                                         "ELF\0\0\1",
                                         7));
         },
         "not a document"},
        {"missing.pdf", [](const TempDir&, const std::string&) {}, "cannot be opened"},
    };
    for (const BadDocument& bad : cases) {
        TempDir dir;
        bad.make(dir, bad.name);
        const ConversionResult result =
            ConvertDocument(QString::fromStdString(dir.path() + bad.name), dir.path() + "out.apf");
        EXPECT_EQ(result.status, ConversionResult::Failed) << bad.name;
        EXPECT_TRUE(result.message.contains(QString::fromLatin1(bad.messagePart)))
            << bad.name << ": " << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QString::fromLatin1(bad.name)))
            << bad.name << ": " << result.message.toStdString();
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_NE(entry.path().filename().string().rfind("out", 0), 0u)
                << bad.name << " left " << entry.path();
    }
}

TEST(DocumentConverter, CancelAtAPageLeavesNoFile) {
    TempDir dir;
    WritePdf(dir.path() + "three.pdf", kA4Points, 3, [](int, QPainter&) {});
    std::vector<std::pair<int, int>> calls;
    const ConversionResult result =
        ConvertDocument(QString::fromStdString(dir.path() + "three.pdf"), dir.path() + "out.apf",
                        [&calls](int done, int total) {
                            calls.emplace_back(done, total);
                            return done < 2;
                        });
    EXPECT_EQ(result.status, ConversionResult::Cancelled);
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace corvane::intake
