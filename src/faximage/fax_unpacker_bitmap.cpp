// RenderPageBitmap: collects a page's lines into a raster trimmed to the
// widest content, then scales it when a scaling is set.
#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "fax_converter_codes.h"
#include "fax_errors.h"
#include "fax_unpacker.h"

namespace corvane::faximage {
namespace {

inline constexpr int kLinesPerChunk = 1024;
// Scaled pictures larger than this are refused (bytes).
inline constexpr long long kMaxScaledBytes = 256LL << 20;

class BitmapBuilder {
  public:
    BitmapBuilder(int lineWidth, bool invert)
        : lineWidth_(lineWidth), white_(invert ? 0xFF : 0x00) {}

    int Start() { return Grow(); }

    int AddLine(const std::uint8_t* line, int length) {
        if (lines_ >= kMaxPageLines)
            return ecOutOfMemory;
        if (lines_ > 0 && lines_ % kLinesPerChunk == 0 && Grow() != ecOK)
            return ecOutOfMemory;
        std::uint8_t* row = block_.data() + static_cast<std::size_t>(lines_) * lineWidth_;
        if (length > 0) {
            const int count = std::min(length, lineWidth_);
            std::copy_n(line, count, row);
            std::fill(row + count, row + lineWidth_, white_);
            for (int i = count - 1; i >= widest_; --i) {
                if (row[i] != white_) {
                    widest_ = i + 1;
                    break;
                }
            }
        } else {
            std::fill_n(row, lineWidth_, white_);
        }
        ++lines_;
        return ecOK;
    }

    // The rows, trimmed to the widest content rounded up to 16 pixels.
    Raster Finish() const {
        if (lines_ == 0)
            return Raster();
        const int rowSize = (widest_ + 1) / 2 * 2;  // line widths are even
        Raster raster(rowSize * 8, lines_);
        for (int y = 0; y < lines_; ++y)
            std::copy_n(block_.data() + static_cast<std::size_t>(y) * lineWidth_, rowSize,
                        raster.Row(y).begin());
        return raster;
    }

  private:
    // Memory grows by 1024 lines at a time, not per line.
    int Grow() {
        try {
            block_.resize(block_.size() + static_cast<std::size_t>(kLinesPerChunk) * lineWidth_, 0);
        } catch (const std::bad_alloc&) {
            return ecOutOfMemory;
        }
        return ecOK;
    }

    int lineWidth_;
    std::uint8_t white_;
    int lines_ = 0;
    int widest_ = 1;
    std::vector<std::uint8_t> block_;
};

// Nearest source span per destination pixel; when shrinking, black wins
// over white so thin strokes survive.
Raster Scale(const Raster& source, int width, int height, bool blackIsOne) {
    Raster scaled(width, height);
    std::vector<std::uint8_t> merged(source.BytesPerRow());
    const auto span = [](int index, int to, int from) {
        const int first = static_cast<int>(static_cast<long long>(index) * from / to);
        const int last = static_cast<int>(static_cast<long long>(index + 1) * from / to);
        return std::pair{first, std::max(last, first + 1)};
    };
    std::vector<std::pair<int, int>> columns(width);
    for (int x = 0; x < width; ++x) columns[x] = span(x, width, source.Width());
    for (int y = 0; y < height; ++y) {
        const auto [firstRow, endRow] = span(y, height, source.Height());
        const auto first = source.Row(firstRow);
        std::copy(first.begin(), first.end(), merged.begin());
        for (int row = firstRow + 1; row < endRow; ++row) {
            const auto next = source.Row(row);
            for (std::size_t i = 0; i < merged.size(); ++i)
                merged[i] = blackIsOne ? (merged[i] | next[i]) : (merged[i] & next[i]);
        }
        for (int x = 0; x < width; ++x) {
            bool black = false;
            for (int sx = columns[x].first; sx < columns[x].second && !black; ++sx)
                black = ((merged[sx / 8] >> (7 - sx % 8)) & 1) == (blackIsOne ? 1 : 0);
            scaled.SetPixel(x, y, blackIsOne ? black : !black);
        }
    }
    return scaled;
}

bool IsScaled(const UnpackerState& state) {
    return state.horizMult != state.horizDiv || state.vertMult != state.vertDiv;
}

}  // namespace

int RenderPageBitmap(UnpackerState& state, const std::string& fileName, int page, bool invert,
                     Raster& bitmap) {
    bitmap = Raster();
    state.pageNumber = page;
    ApfPageHeader pageHeader;
    int code = LookupPageHeader(fileName, std::max(page, 1), pageHeader);
    if (code != ecOK)
        return code;
    state.bytesToUnpack = pageHeader.dataLength;
    state.bytesUnpacked = 0;

    BitmapBuilder builder(
        (pageHeader.pageFlags & pfWide) ? kWideLineWidth / 8 : kStandardLineWidth / 8, invert);
    code = builder.Start();
    if (code != ecOK)
        return code;
    UnpackLineHandler saved = std::exchange(
        state.lineHandler,
        [&builder](UnpackerState&, int flags, const std::uint8_t* line, int, int length) {
            return flags == ulLine ? builder.AddLine(line, length) : ecOK;
        });
    state.invert = invert;
    code = DecodePageLines(state, fileName, page);
    state.lineHandler = std::move(saved);
    state.invert = false;
    if (code != ecOK)
        return code;

    Raster unscaled = builder.Finish();
    if (unscaled.IsEmpty() || !IsScaled(state)) {
        bitmap = std::move(unscaled);
        return ecOK;
    }
    const long long width =
        static_cast<long long>(state.horizMult) * unscaled.Width() / state.horizDiv;
    const long long height =
        static_cast<long long>(unscaled.Height()) * state.vertMult / state.vertDiv;
    if (width <= 0 || height <= 0 || (width + 7) / 8 * height > kMaxScaledBytes)
        return ecBitmapCreateFailed;
    bitmap = Scale(unscaled, static_cast<int>(width), static_cast<int>(height), !invert);
    return ecOK;
}

}  // namespace corvane::faximage
