#include "fax_tiff.h"

#include <tiffio.h>

#include <memory>

namespace corvane::testpeer {

namespace {
struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

constexpr float kHorizontalDpi = 204.0f;
constexpr float kFineDpi = 196.0f;
constexpr float kStandardDpi = 98.0f;
}  // namespace

bool WriteFaxTiff(const std::string& path, const std::vector<TiffPage>& pages) {
    TiffFile tiff(TIFFOpen(path.c_str(), "w"));
    if (!tiff)
        return false;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const TiffPage& page = pages[p];
        TIFF* t = tiff.get();
        TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, page.width);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(page.rows.size()));
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        // Uncompressed: the reader codes the pages itself.
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, kHorizontalDpi);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, page.fine ? kFineDpi : kStandardDpi);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(page.rows.size()));
        TIFFSetField(t, TIFFTAG_PAGENUMBER, static_cast<std::uint16_t>(p),
                     static_cast<std::uint16_t>(pages.size()));
        for (std::size_t y = 0; y < page.rows.size(); ++y) {
            Row row = page.rows[y];
            row.resize(static_cast<std::size_t>(page.width / 8));
            if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
                return false;
        }
        if (!TIFFWriteDirectory(t))
            return false;
    }
    return true;
}

std::vector<TiffPage> ReadFaxTiff(const std::string& path) {
    std::vector<TiffPage> pages;
    TIFFSetWarningHandler(nullptr);
    TiffFile tiff(TIFFOpen(path.c_str(), "r"));
    if (!tiff)
        return pages;
    do {
        TIFF* t = tiff.get();
        std::uint32_t width = 0;
        std::uint32_t length = 0;
        float yResolution = 0;
        std::uint16_t unit = RESUNIT_INCH;
        TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &length);
        TIFFGetField(t, TIFFTAG_YRESOLUTION, &yResolution);
        TIFFGetFieldDefaulted(t, TIFFTAG_RESOLUTIONUNIT, &unit);
        if (unit == RESUNIT_CENTIMETER)
            yResolution *= 2.54f;
        TiffPage page;
        page.width = static_cast<int>(width);
        page.fine = yResolution > 150.0f;
        Row row(static_cast<std::size_t>(TIFFScanlineSize(t)));
        for (std::uint32_t y = 0; y < length; ++y) {
            if (TIFFReadScanline(t, row.data(), y, 0) < 0)
                break;
            page.rows.push_back(row);
        }
        pages.push_back(std::move(page));
    } while (TIFFReadDirectory(tiff.get()));
    return pages;
}

}  // namespace corvane::testpeer
