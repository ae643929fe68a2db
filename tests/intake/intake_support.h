// Fixtures for the document tests: documents drawn with Qt's PDF writer and
// pictures, and the fax file's pages read back through libtiff's decoder.
#pragma once

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/temp_dir.h"
#include "faximage/apf_file.h"
#include "faximage/t4_libtiff_support.h"

namespace corvane::intake::testing {

using corvane::testing::TempDir;

struct DecodedPage {
    int width = 0;
    bool fine = false;
    std::vector<std::vector<std::uint8_t>> rows;

    int Height() const { return static_cast<int>(rows.size()); }
    bool Black(int x, int y) const {
        return x >= 0 && y >= 0 && y < Height() && x < width &&
               (rows[y][x / 8] & (0x80 >> (x % 8))) != 0;
    }
    // Black pixels in a rectangle, as a share of its pixels.
    double Density(int x0, int y0, int x1, int y1) const {
        int black = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) black += Black(x, y);
        return double(black) / double((x1 - x0) * (y1 - y0));
    }
};

inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Each page's coded lines (the end-of-page record left out) decoded by libtiff.
inline std::vector<DecodedPage> ReadFaxPages(const std::string& apf, const std::string& scratch) {
    using namespace corvane::faximage;
    const std::vector<std::uint8_t> bytes = FileBytes(apf);
    std::vector<DecodedPage> pages;
    if (bytes.size() < kApfFileHeaderSize)
        return pages;
    const ApfFileHeader header = DecodeFileHeader(bytes.data());
    std::size_t at = header.firstPageOffset;
    for (int page = 0; page < header.pageCount && at + kApfPageHeaderSize <= bytes.size(); ++page) {
        const ApfPageHeader pageHeader = DecodePageHeader(bytes.data() + at);
        at += kApfPageHeaderSize;
        const std::size_t end = std::min(bytes.size(), at + pageHeader.dataLength);
        std::vector<std::uint8_t> raw;
        int lines = 0;
        std::size_t lastRecord = at;
        while (at + 2 <= end) {
            const std::size_t length = bytes[at] | (bytes[at + 1] << 8);
            lastRecord = at;
            raw.insert(raw.end(), bytes.begin() + at + 2,
                       bytes.begin() + std::min(end, at + 2 + length));
            at += 2 + length;
            ++lines;
        }
        // The last record is the end-of-page codes, not a line.
        raw.resize(raw.size() - std::min<std::size_t>(raw.size(), end - lastRecord - 2));
        DecodedPage decoded;
        decoded.width = (pageHeader.pageFlags & pfWide) ? 2048 : 1728;
        decoded.fine = (pageHeader.pageFlags & pfFine) != 0;
        decoded.rows = faximage::testing::LibtiffDecode(scratch, raw, decoded.width, lines - 1);
        pages.push_back(std::move(decoded));
        at = end;
    }
    return pages;
}

// The names in a directory, sorted.
inline std::vector<std::string> Names(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A PDF of pages of the given size in points, each drawn by draw (page
// index, painter in points with the origin at the top left).
inline void WritePdf(const std::string& path, const QSizeF& points, int pages,
                     const std::function<void(int, QPainter&)>& draw,
                     QPageLayout::Orientation orientation = QPageLayout::Portrait) {
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(72);
    writer.setPageLayout(
        QPageLayout(QPageSize(points, QPageSize::Point), orientation, QMarginsF()));
    QPainter painter(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        draw(page, painter);
    }
}

}  // namespace corvane::intake::testing
