#include "page_placement.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvane::intake {

Placement PlacePage(double widthInches, double heightInches, bool turnLandscape) {
    Placement placement;
    if (!(widthInches > 0) || !(heightInches > 0))
        return placement;
    if (turnLandscape && widthInches > heightInches) {
        placement.turned = true;
        std::swap(widthInches, heightInches);
    }
    const double scale =
        std::min({1.0, kFaxPageWidth / (widthInches * kFaxDpiX), kMaxPageInches / heightInches});
    placement.dpiX = kFaxDpiX * scale;
    placement.dpiY = kFaxDpiY * scale;
    placement.width =
        std::clamp(static_cast<int>(std::lround(widthInches * placement.dpiX)), 1, kFaxPageWidth);
    placement.height = std::max(1, static_cast<int>(std::lround(heightInches * placement.dpiY)));
    return placement;
}

}  // namespace corvane::intake
