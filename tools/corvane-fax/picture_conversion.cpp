#include "picture_conversion.h"

#include <cstdio>

#include "faximage/apf_file.h"
#include "faximage/fax_converter_component.h"

namespace corvane::cli {
namespace {

using namespace corvane::faximage;

void ConvertRun(const std::vector<ConversionPage>& pages, std::size_t first, std::size_t end,
                const std::string& path) {
    const ConversionSettings& settings = pages[first].settings;
    CvFaxConverter converter;
    converter.SetOptions(settings.options);
    converter.SetResolution(settings.fine ? FaxResolution::frHigh : FaxResolution::frNormal);
    converter.SetWidth(settings.wide ? FaxWidth::fwWide : FaxWidth::fwNormal);
    converter.SetLeftMargin(settings.leftMargin);
    converter.SetStationID(settings.stationId);
    converter.SetOutFileName(path);
    std::vector<PictureView> views;
    for (std::size_t i = first; i < end; ++i) views.push_back(pages[i].raster->View());
    converter.ConvertPages(views);
}

}  // namespace

void ConvertPicturePages(const std::vector<ConversionPage>& pages, const std::string& outName) {
    // The converter adds ".APF" to a name without extension; joining needs that name.
    const std::string outPath = ApfOutputPath("", outName);
    const std::string partPath = outPath + ".part";
    try {
        std::size_t first = 0;
        while (first < pages.size()) {
            std::size_t end = first + 1;
            while (end < pages.size() && pages[end].settings == pages[first].settings) ++end;
            if (first == 0) {
                ConvertRun(pages, first, end, outPath);
            } else {
                ConvertRun(pages, first, end, partPath);
                JoinApfFiles(outPath, partPath);
                std::remove(partPath.c_str());
            }
            first = end;
        }
    } catch (...) {
        std::remove(partPath.c_str());
        std::remove(outPath.c_str());
        throw;
    }
}

}  // namespace corvane::cli
