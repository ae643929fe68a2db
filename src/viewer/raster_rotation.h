// Turning a one-bit page picture by quarter turns clockwise.
#pragma once

#include "faximage/raster.h"

namespace corvane::viewer {

// Pixel (x, y) of a W x H picture goes to (H - 1 - y, x) for one turn,
// (W - 1 - x, H - 1 - y) for two, (y, W - 1 - x) for three.
faximage::Raster RotateRaster(const faximage::Raster& source, int quarterTurns);

}  // namespace corvane::viewer
