// A one-bit page picture made ready for the screen at a given size: when
// shrinking, each screen pixel takes the share of black in the page pixels
// it covers, so thin strokes stay visible as grey instead of vanishing.
#pragma once

#include <QColor>
#include <QImage>

#include "faximage/raster.h"

namespace corvane::viewer {

// A width x height RGB32 picture of the page; black pixels in foreground,
// white ones in background, shares of both mixed.
QImage DisplayImage(const faximage::Raster& page, int width, int height, QColor foreground,
                    QColor background);

// The whole page as a one-bit picture, black on white.
QImage MonoImage(const faximage::Raster& page);
// The block (x, y, width, height in page pixels) as a one-bit picture for
// the clipboard: black on white.
QImage MonoBlock(const faximage::Raster& page, int x, int y, int width, int height);

}  // namespace corvane::viewer
