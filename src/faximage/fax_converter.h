// The conversion engine: a page and line loop that pulls raster lines from
// a reader, codes them with the T.4 line encoder and pushes the coded lines
// to an output handler; WriteApfLine is the handler that writes APF files.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "apf_writer.h"
#include "raster.h"
#include "t4_codec.h"

namespace corvane::faximage {

enum ConverterOptions : std::uint16_t {
    coDoubleWidth = 1,
    coHalfHeight = 2,
    coCenterImage = 4,
    coYield = 8,
    coYieldOften = 16,
};
inline constexpr std::uint16_t kDefaultConverterFlags = coDoubleWidth | coCenterImage | coYield;

enum ConverterStatusFlags : int { csProgress = 0, csStarting = 1, csEnding = 2 };

inline constexpr int kConverterLineSize = 4096;

struct ConverterState;

// Returns true to abort the conversion.
using ConverterStatusHandler =
    std::function<bool(ConverterState& state, int statusFlags, long bytesRead, long bytesToRead)>;
// Returns 0 or a negative code, which ends the conversion.
using ConverterOutputHandler = std::function<int(ConverterState& state, const std::uint8_t* data,
                                                 int length, bool endOfPage, bool morePages)>;

// Source of raster lines. ReadLine fills raster (kConverterLineSize bytes,
// zeroed by the caller) and reports end of page and more pages.
class ConverterReader {
  public:
    virtual ~ConverterReader() = default;
    virtual int Open(ConverterState& state, const std::string& inputName) = 0;
    virtual int ReadLine(ConverterState& state, std::uint8_t* raster, int& length, bool& endOfPage,
                         bool& morePages) = 0;
    virtual void Close(ConverterState& state) = 0;
};

struct ConverterState {
    T4Encoder encoder;  // positions, line width W, left margin M, double width
    bool fine = false;
    bool halfHeight = false;  // decided by the reader: code only lines 1, 3, 5, ...
    std::uint16_t flags = kDefaultConverterFlags;
    int topMargin = 0;  // blank lines in front of every page
    int pageNumber = 0;
    int lineNumber = 0;
    int pageOfLastPageHeader = 0;
    int centreOffset = 0;  // bytes the reader shifts each row to the right
    long bytesRead = 0;
    long bytesToRead = 0;
    std::unique_ptr<ConverterReader> reader;
    ConverterStatusHandler statusHandler;
    std::string defaultExtension;
    std::string inputName;
    std::string outputName;
    std::string stationId;
    ApfWriter output;
    std::array<std::uint8_t, kConverterLineSize> inputLine{};

    int LineWidth() const { return encoder.width; }
};

// 0 or ecOutOfMemory; flags 13, W 1728, M 50, top margin 0.
int CreateConverterState(std::unique_ptr<ConverterReader> reader, std::string defaultExtension,
                         std::unique_ptr<ConverterState>& state);

// Attaches one-bit pictures (1 = black), one page each, as the reader. The
// pixels are read during the conversion, so they must outlive it.
// ecBadArgument for an empty picture or one that is not 1 bit per pixel.
int SetBitmapSource(ConverterState& state, std::span<const PictureView> pages);

// The output path ConvertToApf writes: outputName with ".APF" added when it
// has no extension, or inputName with its extension replaced by "APF".
std::string ApfOutputPath(const std::string& inputName, const std::string& outputName);

int RunConversion(ConverterState& state, const std::string& inputName,
                  const ConverterOutputHandler& output);
// Writes the conversion into a new APF file; on failure no file remains.
int ConvertToApf(ConverterState& state, const std::string& inputName,
                 const std::string& outputName);
// The APF file output handler: one counted-line record per coded line.
int WriteApfLine(ConverterState& state, const std::uint8_t* data, int length, bool endOfPage,
                 bool morePages);

}  // namespace corvane::faximage
