#include "mono_page.h"

#include <QPainter>
#include <algorithm>

#include "page_placement.h"

namespace corvane::intake {

namespace {

// Transparent pixels count as paper.
QImage OnWhitePaper(const QImage& picture) {
    if (!picture.hasAlphaChannel())
        return picture;
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, picture);
    return flat;
}

QImage ToMono(const QImage& picture) {
    if (picture.format() == QImage::Format_Mono)
        return picture;
    return OnWhitePaper(picture).convertToFormat(QImage::Format_Mono,
                                                 Qt::MonoOnly | Qt::DiffuseDither);
}

}  // namespace

faximage::Raster CentreOnFaxPage(const QImage& picture) {
    faximage::Raster page(kFaxPageWidth, std::max(1, picture.height()));
    if (picture.isNull())
        return page;
    const QImage mono = ToMono(picture);
    const QList<QRgb> colours = mono.colorTable();
    // Which bit value is black depends on the picture's colour table.
    const bool oneIsBlack = colours.size() < 2 || qGray(colours[1]) < qGray(colours[0]);
    const int shown = std::min(mono.width(), kFaxPageWidth);
    const int sourceX = (mono.width() - shown) / 2;
    const int targetX = (kFaxPageWidth - shown) / 2;
    for (int y = 0; y < mono.height(); ++y) {
        const uchar* source = mono.constScanLine(y);
        for (int x = 0; x < shown; ++x) {
            const int from = sourceX + x;
            const bool bit = (source[from >> 3] & (0x80 >> (from & 7))) != 0;
            if (bit == oneIsBlack)
                page.SetPixel(targetX + x, y, true);
        }
    }
    return page;
}

}  // namespace corvane::intake
