// Rendered pictures into one-bit fax pages (1 = black): grey and colour
// are dithered so photos keep their tones, pure black and white stays as
// it is, and the picture is centred across a 1728-pixel page.
#pragma once

#include <QImage>

#include "faximage/raster.h"

namespace corvane::intake {

// The picture on a page of its own height; a picture wider than the page
// loses its sides equally.
faximage::Raster CentreOnFaxPage(const QImage& picture);

}  // namespace corvane::intake
