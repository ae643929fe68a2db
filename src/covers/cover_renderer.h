// Drawing a cover: the template's elements onto a page-sized one-bit raster
// with the cover's values, then the raster through the fax converter into
// a one-page fax file.
#pragma once

#include <string>

#include "covers/files/cover_values.h"
#include "faximage/raster.h"

namespace corvane::covers {

inline constexpr int kCoverWidth = 1728;
inline constexpr int kCoverHeight = 2156;
inline constexpr int kCoverOrigin = 98;  // every element position is offset by this

// The page raster with every decodable element of the template drawn on it
// (a blank page when the template file does not exist). Throws
// std::runtime_error when the template exists but cannot be read. Needs a
// QGuiApplication for its fonts.
faximage::Raster DrawCover(const std::string& templatePath, const CoverValues& values,
                           const std::string& message);

// Draws and converts the cover into outputPath, or into a new
// UniqueCoverName() when it is empty; returns the file written. Throws
// std::runtime_error or faximage::FaxError, leaving no partial file.
std::string RenderCover(const std::string& outputPath, const std::string& templatePath,
                        const CoverValues& values, const std::string& message);

// The send directory's first free "COV" + five digits + ".APF".
std::string UniqueCoverName();

}  // namespace corvane::covers
