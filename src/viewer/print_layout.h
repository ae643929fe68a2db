// The fax printer's layout rules, free of any printer: caption tokens,
// where each fax page goes on a sheet, and how large it is drawn.
#pragma once

#include <string>

namespace corvane::viewer {

// What the caption tokens stand for: $D date, $F file, $N pages, $P page,
// $T time (letters in either case).
struct TokenValues {
    std::string date;
    std::string fileName;
    int pageCount = 0;
    int page = 0;
    std::string time;
};

// Each token runs from "$" to the next blank or the end and is replaced as
// a whole ("$Pof" is the page number alone; an unknown letter or a lone
// "$" becomes nothing). Replacements are not scanned again.
std::string ExpandTokens(const std::string& caption, const TokenValues& values);

struct PrintRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PrintRect&) const = default;
};

// The area of the index-th page of a job (0 for the first page printed) on
// a sheet of the printable size, shrunk by 2 pixels on every side. With
// multiPage four pages share a portrait sheet (top-left, top-right,
// bottom-left, bottom-right) and two a landscape one (left, right).
PrintRect PageArea(int printableWidth, int printableHeight, bool multiPage, bool landscape,
                   int index);
// True when the index-th page of a job begins a new sheet (never the first).
bool StartsNewSheet(int index, bool multiPage, bool landscape);

// A fax line holds 8.04 pixels per mm and a fine page 7.7 lines per mm
// (a standard one half as many, each line decoded twice): the height of
// fineLines as a count of pixel widths, so the page keeps its shape.
int HeightInPixelWidths(int fineLines);

enum class PrintScale { psNone, psFitToPage };

struct PrintSize {
    int width = 0, height = 0;
    bool operator==(const PrintSize&) const = default;
};

// Fit to page keeps the picture's aspect and fills the area's height, or
// its width when the picture is relatively wider; psNone keeps the width
// and squeezes the height into the area when it is taller.
PrintSize DestinationSize(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight,
                          PrintScale scale);

}  // namespace corvane::viewer
