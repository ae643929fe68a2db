#include "print_layout.h"

#include <algorithm>
#include <cctype>

namespace corvane::viewer {
namespace {

std::string Replacement(char letter, const TokenValues& values) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'D':
            return values.date;
        case 'F':
            return values.fileName;
        case 'N':
            return std::to_string(values.pageCount);
        case 'P':
            return std::to_string(values.page);
        case 'T':
            return values.time;
        default:
            return {};
    }
}

// a × b ÷ c rounded to the nearest integer, in 64 bits.
int MulDiv(int a, int b, int c) {
    if (c == 0)
        return 0;
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product + (product >= 0 ? c / 2 : -c / 2)) / c);
}

}  // namespace

std::string ExpandTokens(const std::string& caption, const TokenValues& values) {
    std::string text = caption;
    std::size_t from = 0;
    for (;;) {
        const std::size_t dollar = text.find('$', from);
        if (dollar == std::string::npos)
            return text;
        std::size_t end = text.find(' ', dollar);
        if (end == std::string::npos)
            end = text.size();
        const char letter = dollar + 1 < end ? text[dollar + 1] : '\0';
        const std::string replacement = Replacement(letter, values);
        text.replace(dollar, end - dollar, replacement);
        from = dollar + replacement.size();
    }
}

PrintRect PageArea(int printableWidth, int printableHeight, bool multiPage, bool landscape,
                   int index) {
    PrintRect area{0, 0, printableWidth, printableHeight};
    if (multiPage) {
        area.right = printableWidth / 2;
        if (!landscape)
            area.bottom = printableHeight / 2;
        const int slot = landscape ? index % 2 : index % 4;
        if (slot == 1 || slot == 3) {
            area.left = area.right;
            area.right *= 2;
        }
        if (!landscape && slot >= 2) {
            area.top = area.bottom;
            area.bottom *= 2;
        }
    }
    return {area.left + 2, area.top + 2, area.right - 2, area.bottom - 2};
}

bool StartsNewSheet(int index, bool multiPage, bool landscape) {
    if (index == 0)
        return false;
    if (!multiPage)
        return true;
    return index % (landscape ? 2 : 4) == 0;
}

int HeightInPixelWidths(int fineLines) {
    constexpr int kPixelsPer100Mm = 804;
    constexpr int kFineLinesPer100Mm = 770;
    return MulDiv(fineLines, kPixelsPer100Mm, kFineLinesPer100Mm);
}

PrintSize DestinationSize(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight,
                          PrintScale scale) {
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return {};
    if (scale == PrintScale::psNone)
        return {pictureWidth, std::min(pictureHeight, areaHeight)};
    const int width = MulDiv(pictureWidth, areaHeight, pictureHeight);
    if (width < areaWidth)
        return {width, areaHeight};
    return {areaWidth, MulDiv(pictureHeight, areaWidth, pictureWidth)};
}

}  // namespace corvane::viewer
