// Reading printed PDF files back with poppler.
#pragma once

#include <QImage>
#include <QString>
#include <memory>

#include <poppler/qt6/poppler-qt6.h>

namespace corvane::testing {

inline std::unique_ptr<Poppler::Document> LoadPdf(const QString& path) {
    return Poppler::Document::load(path);
}

inline QString PdfPageText(Poppler::Document& document, int page) {
    return document.page(page)->text(QRectF());
}

inline QImage PdfPageImage(Poppler::Document& document, int page, double dpi = 72) {
    return document.page(page)->renderToImage(dpi, dpi);
}

// The dark block around the sheet's centre: as far as dark pixels reach
// from it left, right, up and down.
inline QRect DarkBlockAtCentre(const QImage& image) {
    const auto dark = [&image](int x, int y) {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
               qGray(image.pixel(x, y)) < 100;
    };
    const int cx = image.width() / 2, cy = image.height() / 2;
    if (!dark(cx, cy))
        return {};
    int left = cx, right = cx, top = cy, bottom = cy;
    while (dark(left - 1, cy)) --left;
    while (dark(right + 1, cy)) ++right;
    while (dark(cx, top - 1)) --top;
    while (dark(cx, bottom + 1)) ++bottom;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Whether any pixel of the area is dark.
inline bool HasDark(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                return true;
    return false;
}

}  // namespace corvane::testing
