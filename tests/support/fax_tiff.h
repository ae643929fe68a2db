// Fax pages as TIFF files for the independent peers, written and read
// through libtiff (which decodes whatever coding the peer stored): one-bit
// rows, 1 = black, leftmost pixel in the most significant bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testpeer {

using Row = std::vector<std::uint8_t>;

struct TiffPage {
    std::vector<Row> rows;
    bool fine = false;  // 196 lines per inch, else 98
    int width = 1728;
};

// Writes the pages as a multi-page bilevel TIFF; false on failure.
bool WriteFaxTiff(const std::string& path, const std::vector<TiffPage>& pages);
// Reads every page; empty when the file is missing or unreadable.
std::vector<TiffPage> ReadFaxTiff(const std::string& path);

}  // namespace corvane::testpeer
