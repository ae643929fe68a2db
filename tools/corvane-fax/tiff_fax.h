// TIFF Class F exchange: one IFD per page, one-dimensional T.4 with
// byte-aligned EOLs, FillOrder LSB2MSB, 204 dpi across, 98 or 196 dpi down.
#pragma once

#include <string>

namespace corvane::cli {

// Throws FaxError for a bad fax file, std::runtime_error for TIFF trouble.
void ExportTiffClassF(const std::string& apfPath, const std::string& tiffPath);
// Pages 1728 or 2048 pixels wide are taken pixel for pixel; others go
// through the converter with its usual margin and centring.
void ImportTiffClassF(const std::string& tiffPath, const std::string& apfPath);

}  // namespace corvane::cli
