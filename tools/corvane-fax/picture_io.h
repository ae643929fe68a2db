// Reading and writing pictures for the image commands: PBM (P1, P4), PNG
// and TIFF in, PBM and PNG out. Pictures are one-bit rasters, 1 = black;
// grey and colour input is thresholded at half brightness. Failures throw
// std::runtime_error with a message for the user.
#pragma once

#include <string>
#include <vector>

#include "faximage/raster.h"

namespace corvane::cli {

struct PicturePage {
    faximage::Raster raster;
    double verticalDpi = 0;  // 0 when the file does not say
};

// One page per image; a multi-page TIFF gives several.
std::vector<PicturePage> ReadPictures(const std::string& path);

// By the extension: ".png" writes PNG, anything else PBM (P4).
void WritePicture(const std::string& path, const faximage::Raster& raster);

}  // namespace corvane::cli
