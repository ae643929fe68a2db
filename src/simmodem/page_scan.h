// What a fax receiver learns from the coded data of one page: the lines the
// T.4 decoder makes of it, the coded lines between end-of-line codes, and
// those whose transmission is shorter than the negotiated minimum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane::simmodem {

struct PageScan {
    int lines = 0;       // whole lines the decoder delivered
    int codedLines = 0;  // EOL-delimited lines that carry codes
    int width = 0;       // pixels of the first delivered line (0 for none)
    bool mixedWidths = false;
    int shortLines = 0;  // coded lines (with fill and EOL) below the minimum bytes
    int badCodes = 0;
    bool endOfPage = false;  // the return-to-control sequence was seen

    // Coded lines the decoder could not make a whole line of.
    int BadLines() const { return codedLines > lines ? codedLines - lines : 0; }
};

PageScan ScanPage(std::span<const std::uint8_t> data, std::size_t minLineBytes);

// Adds zero fill before each end-of-line code so that every coded line
// takes at least minLineBytes, as a sender must for a slow receiver.
std::vector<std::uint8_t> PadLines(std::span<const std::uint8_t> data, std::size_t minLineBytes);

}  // namespace corvane::simmodem
