// One-dimensional Group 3 pages through libtiff, the independent codec the
// tests and the benchmark compare ours with. Raw strips use our bit order
// (first bit in bit 0).
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::faximage::testing {

inline void SetFaxTags(TIFF* tiff, int width, int lines) {
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, lines);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, 0);  // one-dimensional, no fill to byte boundaries
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, lines);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
}

inline TIFF* OpenTiff(const std::string& path, const char* mode) {
    TIFF* tiff = TIFFOpen(path.c_str(), mode);
    if (!tiff)
        throw std::runtime_error("cannot open " + path);
    return tiff;
}

// libtiff codes rows (1 = black, width / 8 bytes each); returns the raw strip.
inline std::vector<std::uint8_t> LibtiffEncode(const std::string& path,
                                               const std::vector<std::vector<std::uint8_t>>& rows,
                                               int width) {
    TIFF* out = OpenTiff(path, "w");
    SetFaxTags(out, width, static_cast<int>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        std::vector<std::uint8_t> row = rows[y];
        TIFFWriteScanline(out, row.data(), static_cast<std::uint32_t>(y), 0);
    }
    TIFFClose(out);
    TIFF* in = OpenTiff(path, "r");
    std::vector<std::uint8_t> raw(TIFFRawStripSize(in, 0));
    raw.resize(std::max<tmsize_t>(0, TIFFReadRawStrip(in, 0, raw.data(), raw.size())));
    TIFFClose(in);
    return raw;
}

// libtiff decodes a raw strip of lines rows.
inline std::vector<std::vector<std::uint8_t>> LibtiffDecode(const std::string& path,
                                                            const std::vector<std::uint8_t>& raw,
                                                            int width, int lines) {
    TIFF* out = OpenTiff(path, "w");
    SetFaxTags(out, width, lines);
    TIFFWriteRawStrip(out, 0, const_cast<std::uint8_t*>(raw.data()),
                      static_cast<tmsize_t>(raw.size()));
    TIFFClose(out);
    TIFF* in = OpenTiff(path, "r");
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < lines; ++y) {
        std::vector<std::uint8_t> row(TIFFScanlineSize(in));
        if (TIFFReadScanline(in, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
            break;
        rows.push_back(row);
    }
    TIFFClose(in);
    return rows;
}

}  // namespace corvane::faximage::testing
