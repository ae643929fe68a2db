#include "picture_pages.h"

#include <QImageReader>
#include <QTransform>

#include "faximage/t4_codec.h"
#include "mono_page.h"
#include "page_placement.h"

namespace corvane::intake {

namespace {

constexpr double kMetresPerInch = 0.0254;
// A picture that names no plausible resolution is taken at screen size.
constexpr double kAssumedDpi = 96.0;
constexpr double kLowestDpi = 10.0;
// Above this vertical resolution a kept fax page is fine.
constexpr double kFineThresholdDpi = 150.0;

double Dpi(int dotsPerMetre) {
    const double dpi = dotsPerMetre * kMetresPerInch;
    return dpi >= kLowestDpi ? dpi : kAssumedDpi;
}

bool IsFaxPage(const QImage& image) {
    return image.depth() == 1 && (image.width() == faximage::kStandardLineWidth ||
                                  image.width() == faximage::kWideLineWidth);
}

faximage::Raster KeptPixelForPixel(const QImage& image) {
    const QImage mono = image.convertToFormat(QImage::Format_Mono);
    const bool oneIsBlack = mono.colorCount() < 2 || qGray(mono.color(1)) < qGray(mono.color(0));
    faximage::Raster page(mono.width(), mono.height());
    for (int y = 0; y < mono.height(); ++y) {
        const uchar* source = mono.constScanLine(y);
        auto row = page.Row(y);
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = oneIsBlack ? source[i] : static_cast<std::uint8_t>(~source[i]);
    }
    return page;
}

FaxPage PlacedPicture(const QImage& image) {
    const double widthInches = image.width() / Dpi(image.dotsPerMeterX());
    const double heightInches = image.height() / Dpi(image.dotsPerMeterY());
    // Only a landscape picture too wide for the page is turned; a small one
    // reads better upright.
    const bool tooWide = widthInches * kFaxDpiX > kFaxPageWidth;
    const Placement placement = PlacePage(widthInches, heightInches, tooWide);
    const QImage turned = placement.turned ? image.transformed(QTransform().rotate(-90)) : image;
    // One-bit pictures stay one-bit (no grey edges to dither); others are
    // smoothed, then dithered.
    const QImage scaled =
        turned.scaled(placement.width, placement.height, Qt::IgnoreAspectRatio,
                      image.depth() == 1 ? Qt::FastTransformation : Qt::SmoothTransformation);
    return {CentreOnFaxPage(scaled), true};
}

class PicturePages : public DocumentPages {
  public:
    explicit PicturePages(const QString& path) : reader_(path), shown_(ShownName(path)) {
        reader_.setAutoTransform(true);
        count_ = reader_.supportsAnimation() ? 1 : std::max(1, reader_.imageCount());
    }
    int Count() const override { return count_; }
    FaxPage Render(int index) override {
        if (index > 0 && !reader_.jumpToImage(index))
            throw Failed(index);
        const QImage image = reader_.read();
        if (image.isNull())
            throw Failed(index);
        if (IsFaxPage(image))
            return {KeptPixelForPixel(image), Dpi(image.dotsPerMeterY()) > kFineThresholdDpi};
        return PlacedPicture(image);
    }

  private:
    DocumentError Failed(int index) const {
        const QString detail = reader_.errorString();
        return DocumentError(
            count_ > 1
                ? QStringLiteral("Picture %1 of \"%2\" cannot be read (%3).")
                      .arg(index + 1)
                      .arg(shown_, detail)
                : QStringLiteral("\"%1\" cannot be read as a picture (%2).").arg(shown_, detail));
    }

    QImageReader reader_;
    QString shown_;
    int count_ = 1;
};

}  // namespace

bool IsPicture(const QString& path) {
    return !QImageReader::imageFormat(path).isEmpty();
}

std::unique_ptr<DocumentPages> OpenPictures(const QString& path) {
    return std::make_unique<PicturePages>(path);
}

}  // namespace corvane::intake
