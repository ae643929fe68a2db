#include "tiff_fax.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"
#include "faximage/fax_unpacker.h"
#include "picture_conversion.h"
#include "picture_io.h"

namespace corvane::cli {
namespace {

using namespace corvane::faximage;

constexpr float kHorizontalDpi = 204.0F;
constexpr float kStandardDpi = 98.0F;
constexpr float kFineDpi = 196.0F;
// Above this a picture counts as fine resolution.
constexpr double kFineThresholdDpi = 150.0;

void ThrowOnError(int code) {
    if (code != ecOK)
        throw FaxError(code);
}

// Every decoded line of a page at the full line width, unchanged.
Raster DecodeFullPage(const std::string& path, int page, const ApfPageHeader& header) {
    const int width = (header.pageFlags & pfWide) ? kWideLineWidth : kStandardLineWidth;
    std::vector<std::uint8_t> bits;
    std::unique_ptr<UnpackerState> state;
    ThrowOnError(CreateUnpacker(
        [&bits, width](UnpackerState&, int flags, const std::uint8_t* line, int, int length) {
            if (flags != ulLine)
                return ecOK;
            if (bits.size() / (width / 8) >= static_cast<std::size_t>(kMaxPageLines))
                return ecOutOfMemory;
            const std::size_t start = bits.size();
            bits.resize(start + width / 8, 0);
            std::copy_n(line, std::min(length, width / 8), bits.begin() + start);
            return ecOK;
        },
        state));
    ClearUnpackOption(*state, 0xFFFF);
    ThrowOnError(DecodePageLines(*state, path, page));
    Raster raster(width, static_cast<int>(bits.size() / (width / 8)));
    for (int y = 0; y < raster.Height(); ++y)
        std::copy_n(bits.begin() + static_cast<std::size_t>(y) * (width / 8), width / 8,
                    raster.Row(y).begin());
    return raster;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

void WriteTiffPage(TIFF* tiff, const Raster& page, bool fine, int pageIndex, int pageCount) {
    // A TIFF image needs at least one row; a page without lines is one white row.
    const Raster blank(page.Width(), 1);
    const Raster& image = page.IsEmpty() ? blank : page;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.Width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.Height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, kHorizontalDpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, fine ? kFineDpi : kStandardDpi);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(image.Height()));
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, static_cast<std::uint16_t>(pageIndex),
                 static_cast<std::uint16_t>(pageCount));
    std::vector<std::uint8_t> row(image.BytesPerRow());
    for (int y = 0; y < image.Height(); ++y) {
        const auto source = image.Row(y);
        std::copy(source.begin(), source.end(), row.begin());
        if (TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
            throw std::runtime_error("cannot write TIFF page");
    }
    if (!TIFFWriteDirectory(tiff))
        throw std::runtime_error("cannot write TIFF page");
}

}  // namespace

void ExportTiffClassF(const std::string& apfPath, const std::string& tiffPath) {
    ApfFileHeader header;
    ThrowOnError(ReadApfHeader(apfPath, header));
    std::vector<std::pair<Raster, bool>> pages;
    for (int page = 1; page <= header.pageCount; ++page) {
        ApfPageHeader pageHeader;
        ThrowOnError(LookupPageHeader(apfPath, page, pageHeader));
        pages.emplace_back(DecodeFullPage(apfPath, page, pageHeader),
                           (pageHeader.pageFlags & pfFine) != 0);
    }
    if (pages.empty())
        throw std::runtime_error(apfPath + ": the fax has no pages");
    try {
        std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(tiffPath.c_str(), "w"));
        if (!tiff)
            throw std::runtime_error(tiffPath + ": cannot create");
        for (std::size_t i = 0; i < pages.size(); ++i)
            WriteTiffPage(tiff.get(), pages[i].first, pages[i].second, static_cast<int>(i),
                          static_cast<int>(pages.size()));
    } catch (...) {
        std::remove(tiffPath.c_str());
        throw;
    }
}

void ImportTiffClassF(const std::string& tiffPath, const std::string& apfPath) {
    const std::vector<PicturePage> pictures = ReadPictures(tiffPath);
    std::vector<ConversionPage> pages;
    for (const PicturePage& picture : pictures) {
        ConversionSettings settings;
        settings.fine = picture.verticalDpi > kFineThresholdDpi;
        const int width = picture.raster.Width();
        if (width == kStandardLineWidth || width == kWideLineWidth) {
            // Already a fax line: no margin, centring or doubling.
            settings.wide = width == kWideLineWidth;
            settings.leftMargin = 0;
            settings.options = 0;
        }
        pages.push_back({&picture.raster, settings});
    }
    ConvertPicturePages(pages, apfPath);
}

}  // namespace corvane::cli
