// CvFaxUnpacker: page count, first-page format and page rasters of an APF
// file, with the unpacking settings of the fax program; failure codes are
// raised as FaxError.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "fax_unpacker.h"
#include "raster.h"

namespace corvane::faximage {

enum UnpackerOptions : std::uint16_t { uoYield = 1, uoAbort = 2 };
enum class AutoScaleMode { asNone, asDoubleHeight, asHalfWidth };

class CvFaxUnpacker {
  public:
    using StatusEvent = std::function<void(CvFaxUnpacker& sender, const std::string& fileName,
                                           int page, long bytesUnpacked, long bytesToUnpack)>;

    std::uint16_t Options() const { return options_; }
    // Acts at once on a running operation: uoAbort set from OnStatus ends
    // the page early, keeping the lines decoded so far.
    void SetOptions(std::uint16_t options);
    bool WhitespaceCompression() const { return whitespaceCompression_; }
    void SetWhitespaceCompression(bool on) { whitespaceCompression_ = on; }
    unsigned WhitespaceFrom() const { return whitespaceFrom_; }
    void SetWhitespaceFrom(unsigned lines) { whitespaceFrom_ = lines; }
    unsigned WhitespaceTo() const { return whitespaceTo_; }
    void SetWhitespaceTo(unsigned lines) { whitespaceTo_ = lines; }
    bool Scaling() const { return scaling_; }
    void SetScaling(bool on) { scaling_ = on; }
    // Zero is ignored.
    void SetHorizMult(unsigned value) { SetNonZero(horizMult_, value); }
    void SetHorizDiv(unsigned value) { SetNonZero(horizDiv_, value); }
    void SetVertMult(unsigned value) { SetNonZero(vertMult_, value); }
    void SetVertDiv(unsigned value) { SetNonZero(vertDiv_, value); }
    unsigned HorizMult() const { return horizMult_; }
    unsigned HorizDiv() const { return horizDiv_; }
    unsigned VertMult() const { return vertMult_; }
    unsigned VertDiv() const { return vertDiv_; }
    AutoScaleMode AutoScale() const { return autoScaleMode_; }
    void SetAutoScaleMode(AutoScaleMode mode) { autoScaleMode_ = mode; }
    const std::string& InFileName() const { return inFileName_; }
    // A new name (not just in letter case) also sets OutFileName to it
    // without its extension.
    void SetInFileName(const std::string& name);
    const std::string& OutFileName() const { return outFileName_; }
    void SetOutFileName(const std::string& name) { outFileName_ = name; }
    void SetOnStatus(StatusEvent handler) { onStatus_ = std::move(handler); }

    int GetPageCount();
    bool IsFirstPageFine();
    bool IsFirstPageWide();
    // The page as a raster with 1 = black; an empty raster for a page
    // without decodable lines.
    Raster PageBitmap(int page);
    // Bad codes met on the last page decoded.
    int BadCodes() const { return state_ ? state_->BadCodes() : 0; }

    void FireStatus(const std::string& fileName, int page, long bytesUnpacked, long bytesToUnpack);

  private:
    static void SetNonZero(unsigned& field, unsigned value) {
        if (value != 0)
            field = value;
    }
    void Rebuild();

    std::uint16_t options_ = uoYield;
    bool whitespaceCompression_ = false;
    unsigned whitespaceFrom_ = 0;
    unsigned whitespaceTo_ = 0;
    bool scaling_ = false;
    unsigned horizMult_ = 1, horizDiv_ = 1, vertMult_ = 1, vertDiv_ = 1;
    AutoScaleMode autoScaleMode_ = AutoScaleMode::asDoubleHeight;
    std::string inFileName_;
    std::string outFileName_;
    StatusEvent onStatus_;
    std::unique_ptr<UnpackerState> state_;
};

}  // namespace corvane::faximage
