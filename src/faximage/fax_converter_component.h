// CvFaxConverter: the converter settings of the fax program, a converter
// state built from them for every conversion, and failure codes raised as
// FaxError.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "fax_converter.h"
#include "raster.h"

namespace corvane::faximage {

enum class FaxResolution { frNormal, frHigh };
enum class FaxWidth { fwNormal, fwWide };

class CvFaxConverter {
  public:
    // Abort set by the handler ends the conversion with ecUserAbortedConversion.
    using StatusEvent = std::function<void(CvFaxConverter& sender, bool starting, bool ending,
                                           int pagesConverted, int linesConverted,
                                           long bytesConverted, long bytesToConvert, bool& abort)>;

    std::uint16_t Options() const { return options_; }
    // coYieldOften brings coYield with it.
    void SetOptions(std::uint16_t options);
    FaxResolution Resolution() const { return resolution_; }
    void SetResolution(FaxResolution resolution) { resolution_ = resolution; }
    FaxWidth Width() const { return width_; }
    void SetWidth(FaxWidth width) { width_ = width; }
    unsigned TopMargin() const { return topMargin_; }
    void SetTopMargin(unsigned lines) { topMargin_ = lines; }
    unsigned LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(unsigned pixels) { leftMargin_ = pixels; }
    const std::string& DocumentFile() const { return documentFile_; }
    // Also sets OutFileName to the document name with the extension ".APF".
    void SetDocumentFile(const std::string& name);
    const std::string& OutFileName() const { return outFileName_; }
    void SetOutFileName(const std::string& name) { outFileName_ = name; }
    const std::string& StationID() const { return stationId_; }
    void SetStationID(const std::string& id) { stationId_ = id; }
    void SetOnStatus(StatusEvent handler) { onStatus_ = std::move(handler); }

    // One page per picture into OutFileName; throws FaxError. A failed or
    // aborted conversion leaves no file.
    void ConvertBitmap(const Raster& bitmap);
    void ConvertBitmap(const PictureView& bitmap);
    void ConvertPages(std::span<const PictureView> pages);

    void FireStatus(bool starting, bool ending, int pages, int lines, long bytes,
                    long bytesToConvert, bool& abort);

  private:
    int BuildState(std::unique_ptr<ConverterState>& state);

    std::uint16_t options_ = kDefaultConverterFlags;
    FaxResolution resolution_ = FaxResolution::frNormal;
    FaxWidth width_ = FaxWidth::fwNormal;
    unsigned topMargin_ = 0;
    unsigned leftMargin_ = kDefaultLeftMargin;
    std::string documentFile_;
    std::string outFileName_;
    std::string stationId_;
    StatusEvent onStatus_;
};

}  // namespace corvane::faximage
