// Fax files made from rasters and read back, for tests above the fax image
// library.
#pragma once

#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "faximage/apf_file.h"
#include "faximage/fax_converter_component.h"
#include "faximage/fax_unpacker_component.h"
#include "faximage/raster.h"

namespace corvane::testing {

struct FaxFormat {
    bool fine = true;
    bool wide = false;
};

// One page per raster, coded as drawn: no centring, no margin, no widening.
inline void WriteFax(const std::string& path, const std::vector<faximage::Raster>& pages,
                     FaxFormat format = {}) {
    faximage::CvFaxConverter converter;
    converter.SetOptions(0);
    converter.SetLeftMargin(0);
    converter.SetResolution(format.fine ? faximage::FaxResolution::frHigh
                                        : faximage::FaxResolution::frNormal);
    converter.SetWidth(format.wide ? faximage::FaxWidth::fwWide : faximage::FaxWidth::fwNormal);
    converter.SetOutFileName(path);
    std::vector<faximage::PictureView> views;
    for (const faximage::Raster& page : pages) views.push_back(page.View());
    converter.ConvertPages(views);
}

// A page of the given size with a black bar of rows [top, top + rows) from
// x = left to x = right - 1, so pages can be told apart.
inline faximage::Raster BarPage(int width, int height, int top, int rows = 4, int left = 0,
                                int right = 400) {
    faximage::Raster page(width, height);
    page.FillRect(left, top, right - left, rows, true);
    return page;
}

// The page's lines as coded: no aspect correction.
inline faximage::Raster ReadPage(const std::string& path, int page) {
    faximage::CvFaxUnpacker unpacker;
    unpacker.SetAutoScaleMode(faximage::AutoScaleMode::asNone);
    unpacker.SetInFileName(path);
    return unpacker.PageBitmap(page);
}

// Rewrites the header's page count, so the file claims pages it lacks.
inline void ClaimPages(const std::string& path, int pageCount) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::uint8_t bytes[faximage::kApfFileHeaderSize];
    file.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    faximage::ApfFileHeader header = faximage::DecodeFileHeader(bytes);
    header.pageCount = static_cast<std::uint16_t>(pageCount);
    const auto encoded = faximage::EncodeFileHeader(header);
    file.seekp(0);
    file.write(reinterpret_cast<const char*>(encoded.data()), encoded.size());
}

inline int PageCountOf(const std::string& path) {
    faximage::ApfFileHeader header;
    return faximage::ReadApfHeader(path, header) == 0 ? header.pageCount : -1;
}

inline std::uint16_t PageFlagsOf(const std::string& path, int page) {
    faximage::ApfPageHeader header;
    faximage::LookupPageHeader(path, page, header);
    return header.pageFlags;
}

}  // namespace corvane::testing
