// make-covers OUTDIR SOURCE.cover...: turns the readable sources of the
// shipped cover designs into the template (".fct"), its description
// (".des") and its preview picture (".bmp"). The preview is the fax page
// our own renderer and converter make from the template with sample
// values, so the picker shows exactly what a cover will look like.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "cover_source.h"
#include "covers/cover_renderer.h"
#include "covers/files/file_bytes.h"
#include "faximage/fax_unpacker_component.h"

namespace {

using namespace corvane::covers;

constexpr int kPreviewWidth = 576;  // a third of the page

CoverValues SampleValues() {
    CoverValues values;
    values.Date = "Friday, 11 December 2026";
    values.Time = "10:30:00";
    values.Regarding = "Quarterly price list";
    values.Recipient = "Jordan Ellis";
    values.RecipientFax = "+1 555 0142";
    values.SenderName = "Sam Carter";
    values.SenderCompany = "Northwind Supplies Ltd.";
    values.SenderFax = "+1 555 0199";
    values.SenderVoice = "+1 555 0100";
    values.Urgent = true;
    values.PleaseReply = true;
    return values;
}

constexpr char kSampleMessage[] =
    "Dear Jordan,\r\n\r\nAs promised on the phone, here is our price list for the coming "
    "quarter. The new prices take effect on the first of the month; orders placed before then "
    "are invoiced at the current rates.\r\n\r\nPlease call me if anything is unclear.\r\n\r\n"
    "Kind regards,\r\nSam";

// The first page of a fax file as a grey picture, the page's own size.
QImage FaxPage(const std::string& apf) {
    corvane::faximage::CvFaxUnpacker unpacker;
    unpacker.SetInFileName(apf);
    const corvane::faximage::Raster raster = unpacker.PageBitmap(1);
    QImage page(kCoverWidth, raster.Height(), QImage::Format_Grayscale8);
    page.fill(Qt::white);
    for (int y = 0; y < raster.Height(); ++y) {
        uchar* row = page.scanLine(y);
        for (int x = 0; x < std::min(raster.Width(), kCoverWidth); ++x)
            if (raster.Pixel(x, y))
                row[x] = 0;
    }
    return page;
}

void WritePreview(const QImage& page, const std::string& path) {
    QImage small = page.scaledToWidth(kPreviewWidth, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_Grayscale8);
    QList<QRgb> grays;
    for (int i = 0; i < 256; ++i) grays << qRgb(i, i, i);
    QImage indexed(small.size(), QImage::Format_Indexed8);
    indexed.setColorTable(grays);
    for (int y = 0; y < small.height(); ++y)
        std::copy_n(small.constScanLine(y), small.width(), indexed.scanLine(y));
    if (!indexed.save(QString::fromStdString(path), "BMP"))
        throw std::runtime_error("cannot write " + path);
}

void MakeCover(const std::filesystem::path& source, const std::filesystem::path& outDir) {
    std::string text;
    if (!ReadFileBytes(source.string(), 1 << 20, text))
        throw std::runtime_error("cannot read " + source.string());
    const CoverSource cover = ParseCoverSource(text);
    const std::string base = (outDir / source.stem()).string();
    WriteFileReplacing(base + ".fct", EncodeTemplate(cover.elements));
    WriteFileReplacing(base + ".des", cover.description + "\r\n");
    const std::string apf = base + ".preview.apf";
    RenderCover(apf, base + ".fct", SampleValues(), kSampleMessage);
    const QImage page = FaxPage(apf);
    std::filesystem::remove(apf);
    WritePreview(page, base + ".bmp");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make-covers OUTDIR SOURCE.cover...\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    const std::filesystem::path outDir = argv[1];
    std::filesystem::create_directories(outDir);
    for (int i = 2; i < argc; ++i) {
        try {
            MakeCover(argv[i], outDir);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "make-covers: %s: %s\n", argv[i], error.what());
            return 1;
        }
    }
    return 0;
}
