#include "fax_unpacker_component.h"

#include <strings.h>
#include <algorithm>
#include <climits>

#include "fax_errors.h"
#include "path_names.h"

namespace corvane::faximage {
namespace {

void ThrowOnError(int code) {
    if (code != ecOK)
        throw FaxError(code);
}

int ScaleFactor(unsigned value) {
    return static_cast<int>(std::min<unsigned>(value, INT_MAX));
}

}  // namespace

void CvFaxUnpacker::SetOptions(std::uint16_t options) {
    options_ = options;
    if (!state_)
        return;
    if (options & uoYield)
        SetUnpackOption(*state_, ufYield);
    else
        ClearUnpackOption(*state_, ufYield);
    if (options & uoAbort)
        SetUnpackOption(*state_, ufAbort);
}

void CvFaxUnpacker::SetInFileName(const std::string& name) {
    if (strcasecmp(name.c_str(), inFileName_.c_str()) == 0)
        return;
    inFileName_ = name;
    outFileName_ = WithoutExtension(name);
}

void CvFaxUnpacker::FireStatus(const std::string& fileName, int page, long bytesUnpacked,
                               long bytesToUnpack) {
    if (onStatus_)
        onStatus_(*this, fileName, page, bytesUnpacked, bytesToUnpack);
}

void CvFaxUnpacker::Rebuild() {
    state_.reset();
    ThrowOnError(CreateUnpacker(nullptr, state_));
    // The status runs after every input byte: no handler, no call.
    if (onStatus_)
        SetUnpackStatusHandler(
            *state_, [this](UnpackerState&, const std::string& fileName, int page, long done,
                            long total) { FireStatus(fileName, page, done, total); });
    ClearUnpackOption(*state_, 0xFFFF);
    if (options_ & uoYield)
        SetUnpackOption(*state_, ufYield);
    if (autoScaleMode_ == AutoScaleMode::asDoubleHeight)
        SetUnpackOption(*state_, ufDoubleHeight);
    if (autoScaleMode_ == AutoScaleMode::asHalfWidth)
        SetUnpackOption(*state_, ufHalfWidth);
    if (whitespaceCompression_)
        ThrowOnError(SetWhitespace(*state_, whitespaceFrom_, whitespaceTo_));
    if (scaling_)
        faximage::SetScaling(*state_, ScaleFactor(horizMult_), ScaleFactor(horizDiv_),
                             ScaleFactor(vertMult_), ScaleFactor(vertDiv_));
}

int CvFaxUnpacker::GetPageCount() {
    Rebuild();
    ThrowOnError(ReadApfHeader(inFileName_, state_->fileHeader));
    return state_->fileHeader.pageCount;
}

bool CvFaxUnpacker::IsFirstPageFine() {
    Rebuild();
    ThrowOnError(LookupPageHeader(inFileName_, 1, state_->pageHeader));
    return state_->pageHeader.pageFlags & pfFine;
}

bool CvFaxUnpacker::IsFirstPageWide() {
    Rebuild();
    ThrowOnError(LookupPageHeader(inFileName_, 1, state_->pageHeader));
    return state_->pageHeader.pageFlags & pfWide;
}

Raster CvFaxUnpacker::PageBitmap(int page) {
    Rebuild();
    Raster bitmap;
    ThrowOnError(RenderPageBitmap(*state_, inFileName_, page, false, bitmap));
    return bitmap;
}

}  // namespace corvane::faximage
