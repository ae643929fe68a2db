#include "fax_converter_component.h"

#include <algorithm>

#include "fax_converter_codes.h"
#include "fax_errors.h"

namespace corvane::faximage {
namespace {

void ThrowOnError(int code) {
    if (code != ecOK)
        throw FaxError(code);
}

}  // namespace

void CvFaxConverter::SetOptions(std::uint16_t options) {
    if (options & coYieldOften)
        options |= coYield;
    options_ = options;
}

void CvFaxConverter::SetDocumentFile(const std::string& name) {
    documentFile_ = name;
    outFileName_ = ApfOutputPath(name, "");
}

void CvFaxConverter::FireStatus(bool starting, bool ending, int pages, int lines, long bytes,
                                long bytesToConvert, bool& abort) {
    abort = false;
    if (onStatus_)
        onStatus_(*this, starting, ending, pages, lines, bytes, bytesToConvert, abort);
}

int CvFaxConverter::BuildState(std::unique_ptr<ConverterState>& state) {
    const int code = CreateConverterState(nullptr, "", state);
    if (code != ecOK)
        return code;
    const int lineWidth = width_ == FaxWidth::fwWide ? kWideLineWidth : kStandardLineWidth;
    // A margin as wide as the line would leave no room for the picture and
    // make lines no decoder accepts.
    if (leftMargin_ >= static_cast<unsigned>(lineWidth))
        return ecBadArgument;
    state->flags = options_;
    state->encoder.width = lineWidth;
    state->encoder.margin = static_cast<int>(leftMargin_);
    state->topMargin = static_cast<int>(std::min(topMargin_, 0x7FFFu));
    state->fine = resolution_ == FaxResolution::frHigh;
    state->stationId = stationId_.substr(0, kStationIdMaxLength);
    state->statusHandler = [this](ConverterState& s, int flags, long bytesRead, long bytesToRead) {
        bool abort = false;
        FireStatus(flags & csStarting, flags & csEnding, s.pageNumber, s.lineNumber, bytesRead,
                   bytesToRead, abort);
        return abort;
    };
    return ecOK;
}

void CvFaxConverter::ConvertBitmap(const Raster& bitmap) {
    ConvertBitmap(bitmap.View());
}

void CvFaxConverter::ConvertBitmap(const PictureView& bitmap) {
    ConvertPages(std::span(&bitmap, 1));
}

void CvFaxConverter::ConvertPages(std::span<const PictureView> pages) {
    std::unique_ptr<ConverterState> state;
    ThrowOnError(BuildState(state));
    ThrowOnError(SetBitmapSource(*state, pages));
    ThrowOnError(ConvertToApf(*state, documentFile_, outFileName_));
}

}  // namespace corvane::faximage
