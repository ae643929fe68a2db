// The bitmap reader: delivers the rows of in-memory one-bit pictures, one
// page per picture, placed at the centre offset with the pad bits white.
#include <algorithm>
#include <vector>

#include "fax_converter.h"
#include "fax_converter_codes.h"
#include "fax_errors.h"

namespace corvane::faximage {
namespace {

class BitmapReader final : public ConverterReader {
  public:
    explicit BitmapReader(std::vector<PictureView> pages) : pages_(std::move(pages)) {}

    int Open(ConverterState& state, const std::string& /*inputName*/) override {
        state.bytesRead = 0;
        state.bytesToRead = 0;
        for (const PictureView& page : pages_)
            state.bytesToRead += long{page.bytesPerRow} * page.height;
        StartPage(state, 0);
        return ecOK;
    }

    int ReadLine(ConverterState& state, std::uint8_t* raster, int& length, bool& endOfPage,
                 bool& morePages) override {
        if (pageEnded_)
            StartPage(state, page_ + 1);
        const PictureView& picture = pages_[page_];
        if (rowsDelivered_ == picture.height) {
            endOfPage = true;
            morePages = page_ + 1 < pages_.size();
            pageEnded_ = true;
            length = 0;
            return ecOK;
        }
        // Only the part that reaches the coded line is copied; wider rows are cut.
        const int lineBytes = state.LineWidth() / 8;
        const int rowBytes = BytesForPixels(picture.width);
        const int count = std::max(0, std::min(rowBytes, lineBytes - state.centreOffset));
        const std::uint8_t* row =
            picture.bits + static_cast<std::size_t>(rowsDelivered_) * picture.bytesPerRow;
        std::copy_n(row, count, raster + state.centreOffset);
        if (count == rowBytes && picture.width % 8 != 0)
            raster[state.centreOffset + count - 1] &=
                static_cast<std::uint8_t>(0xFF << (8 - picture.width % 8));
        length = lineBytes;
        endOfPage = false;
        morePages = false;
        ++rowsDelivered_;
        state.bytesRead += picture.bytesPerRow;
        return ecOK;
    }

    void Close(ConverterState& /*state*/) override {}

  private:
    // Double width, half height and centring are decided per picture.
    void StartPage(ConverterState& state, std::size_t page) {
        page_ = page;
        rowsDelivered_ = 0;
        pageEnded_ = false;
        const int width = pages_[page].width;
        const int lineWidth = state.LineWidth();
        const int margin = state.encoder.margin;
        const bool doubleWidth =
            (state.flags & coDoubleWidth) && !state.fine && 2 * width <= lineWidth - margin;
        state.encoder.doubleWidth = doubleWidth;
        state.halfHeight = (state.flags & coHalfHeight) && !state.fine && !doubleWidth;
        state.centreOffset = 0;
        if ((state.flags & coCenterImage) && lineWidth - width > 15)
            state.centreOffset =
                doubleWidth ? (lineWidth - 2 * width) / 32 : (lineWidth - width) / 16;
    }

    std::vector<PictureView> pages_;
    std::size_t page_ = 0;
    int rowsDelivered_ = 0;
    bool pageEnded_ = false;
};

}  // namespace

int SetBitmapSource(ConverterState& state, std::span<const PictureView> pages) {
    if (pages.empty())
        return ecBadArgument;
    for (const PictureView& page : pages) {
        if (page.IsEmpty() || page.bitsPerPixel != 1 ||
            page.bytesPerRow < BytesForPixels(page.width))
            return ecBadArgument;
    }
    state.reader =
        std::make_unique<BitmapReader>(std::vector<PictureView>(pages.begin(), pages.end()));
    state.defaultExtension.clear();
    return ecOK;
}

}  // namespace corvane::faximage
