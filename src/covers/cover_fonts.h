// Fonts for template text: sizes in points at a fixed 96 pixels per inch,
// so a cover looks the same on every screen and from the command line, and
// the Windows font names templates carry mapped to their metric-compatible
// free fonts.
#pragma once

#include <QFont>
#include <QString>

namespace corvane::covers {

// round(points × 96 ÷ 72), at least 1 pixel and bounded so that a hostile
// template cannot ask for glyphs larger than the page.
int FontPixelHeight(int points);
// The family to ask for: "Arial" gives "Liberation Sans" and so on; a name
// without a free counterpart is left to fontconfig's matching.
QString FreeFontFamily(const QString& family);
QFont CoverFont(const QString& family, int points, bool bold, bool italic, bool underline);

}  // namespace corvane::covers
