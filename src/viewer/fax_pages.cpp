#include "fax_pages.h"

#include <sys/stat.h>
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "faximage/apf_file.h"
#include "faximage/fax_converter_codes.h"
#include "faximage/fax_errors.h"
#include "faximage/fax_unpacker.h"
#include "raster_rotation.h"

namespace corvane::viewer {

using faximage::AutoScaleMode;
using faximage::Raster;

namespace {

std::uint16_t ScaleFlags(AutoScaleMode mode) {
    switch (mode) {
        case AutoScaleMode::asDoubleHeight:
            return faximage::ufDoubleHeight;
        case AutoScaleMode::asHalfWidth:
            return faximage::ufHalfWidth;
        default:
            return 0;
    }
}

int RowBytes(std::uint16_t pageFlags, AutoScaleMode mode) {
    const int full = (pageFlags & faximage::pfWide) ? faximage::kWideLineWidth / 8
                                                    : faximage::kStandardLineWidth / 8;
    const bool halved = mode == AutoScaleMode::asHalfWidth && !(pageFlags & faximage::pfFine);
    return halved ? full / 2 : full;
}

}  // namespace

FaxPage DecodeFaxPage(const std::string& path, int page, AutoScaleMode mode,
                      unsigned whitespaceFrom, unsigned whitespaceTo) {
    FaxPage result;
    faximage::ApfPageHeader header;
    result.code = faximage::LookupPageHeader(path, std::max(page, 1), header);
    if (result.code != ecOK)
        return result;
    result.flags = header.pageFlags;
    const int rowBytes = RowBytes(header.pageFlags, mode);

    std::vector<std::uint8_t> rows;
    int lines = 0;
    std::unique_ptr<faximage::UnpackerState> state;
    result.code = faximage::CreateUnpacker(
        [&](faximage::UnpackerState&, int flags, const std::uint8_t* line, int, int length) {
            if (flags != faximage::ulLine)
                return ecOK;
            if (lines >= faximage::kMaxPageLines)
                return ecOutOfMemory;
            rows.resize(rows.size() + rowBytes, 0);
            if (length > 0)
                std::copy_n(line, std::min(length, rowBytes), rows.end() - rowBytes);
            ++lines;
            return ecOK;
        },
        state);
    if (result.code != ecOK)
        return result;
    faximage::ClearUnpackOption(*state, 0xFFFF);
    faximage::SetUnpackOption(*state, ScaleFlags(mode));
    faximage::SetWhitespace(*state, whitespaceFrom, whitespaceTo);
    try {
        result.code = faximage::DecodePageLines(*state, path, page);
    } catch (const std::bad_alloc&) {
        result.code = ecOutOfMemory;
    }
    result.badLines = state->BadCodes();
    if (lines == 0)
        return result;
    result.picture = Raster(rowBytes * 8, lines);
    for (int y = 0; y < lines; ++y)
        std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(y) * rowBytes, rowBytes,
                    result.picture.Row(y).begin());
    return result;
}

int FaxPages::Open(const std::string& path) {
    Close();
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return ecFileNotFound;
    if (!faximage::IsApfFile(path))
        return ecFaxBadFormat;
    faximage::ApfFileHeader header;
    const int code = faximage::ReadApfHeader(path, header);
    if (code != ecOK)
        return code;
    path_ = path;
    pageCount_ = header.pageCount;
    rotation_ = 0;
    return ecOK;
}

void FaxPages::Close() {
    path_.clear();
    pageCount_ = 0;
    cache_.clear();
}

bool FaxPages::IsCached(int page) const {
    return std::any_of(cache_.begin(), cache_.end(),
                       [page](const Entry& entry) { return entry.page == page; });
}

const FaxPage* FaxPages::Page(int page) {
    if (page < 1 || page > pageCount_)
        return nullptr;
    const auto found = std::find_if(cache_.begin(), cache_.end(),
                                    [page](const Entry& entry) { return entry.page == page; });
    if (found != cache_.end()) {
        cache_.splice(cache_.begin(), cache_, found);
        return &cache_.front().data;
    }
    FaxPage decoded = DecodeFaxPage(path_, page, mode_, whitespaceFrom_, whitespaceTo_);
    if (rotation_ != 0 && !decoded.picture.IsEmpty())
        decoded.picture = RotateRaster(decoded.picture, rotation_);
    cache_.push_front({page, std::move(decoded)});
    Trim();
    return &cache_.front().data;
}

void FaxPages::SetRotation(int quarterTurns) {
    quarterTurns = ((quarterTurns % 4) + 4) % 4;
    const int turn = (quarterTurns - rotation_ + 4) % 4;
    for (Entry& entry : cache_) entry.data.picture = RotateRaster(entry.data.picture, turn);
    rotation_ = quarterTurns;
}

void FaxPages::SetAutoScaleMode(AutoScaleMode mode) {
    if (mode != mode_)
        cache_.clear();
    mode_ = mode;
}

int FaxPages::SetWhitespace(unsigned from, unsigned to) {
    if (from < to || (from == 0 && to != 0))
        return faximage::ecBadArgument;
    if (from != whitespaceFrom_ || to != whitespaceTo_)
        cache_.clear();
    whitespaceFrom_ = from;
    whitespaceTo_ = to;
    return ecOK;
}

void FaxPages::SetKeepAll(bool keepAll) {
    keepAll_ = keepAll;
    Trim();
}

void FaxPages::Trim() {
    if (!keepAll_ && cache_.size() > static_cast<std::size_t>(kCachedPages))
        cache_.resize(kCachedPages);
}

}  // namespace corvane::viewer
