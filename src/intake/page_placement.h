// Where a document page of a given physical size lands on a fax page:
// 1728 pixels across at 204 dpi, 196 rows an inch (fine resolution). Pages
// keep their true size; wider or longer ones are scaled down to fit, and
// landscape pages are turned a quarter counter-clockwise first.
#pragma once

namespace corvane::intake {

inline constexpr int kFaxPageWidth = 1728;
inline constexpr double kFaxDpiX = 204.0;
inline constexpr double kFaxDpiY = 196.0;
// The longest page kept at true size (legal paper); longer ones shrink.
inline constexpr double kMaxPageInches = 14.0;

struct Placement {
    bool turned = false;     // rendered a quarter turn counter-clockwise
    double dpiX = kFaxDpiX;  // resolution to render the (turned) page at
    double dpiY = kFaxDpiY;
    int width = 0;   // pixels, at most kFaxPageWidth
    int height = 0;  // rows
};

// widthInches and heightInches as the page is meant to be seen; turnLandscape
// turns a page wider than it is tall. Sizes of zero or less give no pixels.
Placement PlacePage(double widthInches, double heightInches, bool turnLandscape);

}  // namespace corvane::intake
