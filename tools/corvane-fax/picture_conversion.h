// Pictures into one APF file through the fax converter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "faximage/fax_converter.h"
#include "faximage/raster.h"

namespace corvane::cli {

struct ConversionSettings {
    bool fine = false;
    bool wide = false;
    unsigned leftMargin = faximage::kDefaultLeftMargin;
    std::uint16_t options = faximage::kDefaultConverterFlags;
    std::string stationId;

    bool operator==(const ConversionSettings&) const = default;
};

struct ConversionPage {
    const faximage::Raster* raster;
    ConversionSettings settings;
};

// Consecutive pages with equal settings are converted together; the runs
// are joined in order. outName gets ".APF" when it has no extension.
// Throws FaxError; a failure leaves no output file.
void ConvertPicturePages(const std::vector<ConversionPage>& pages, const std::string& outName);

}  // namespace corvane::cli
