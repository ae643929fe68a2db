// Helpers for the converter and unpacker tests: a scratch directory, raw
// APF page records and a plain decode of a page at full line width.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"
#include "faximage/fax_unpacker.h"
#include "faximage/raster.h"

namespace corvane::faximage::testing {

class ScratchDirectory {
  public:
    ScratchDirectory() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "corvane-" + std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';  // parameterised test names
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path_); }

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename());
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The counted-line records of a page, each without its length word.
inline std::vector<std::vector<std::uint8_t>> LineRecords(const std::string& path, int page) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::size_t offset = kApfFirstPageOffset;
    ApfPageHeader header;
    for (int i = 0; i < page; ++i) {
        header = DecodePageHeader(bytes.data() + offset);
        if (i + 1 < page)
            offset += kApfPageHeaderSize + header.dataLength;
    }
    std::vector<std::vector<std::uint8_t>> records;
    std::size_t at = offset + kApfPageHeaderSize;
    const std::size_t end = at + header.dataLength;
    while (at + 2 <= end) {
        const std::size_t length = bytes[at] | bytes[at + 1] << 8;
        records.emplace_back(bytes.begin() + at + 2, bytes.begin() + at + 2 + length);
        at += 2 + length;
    }
    return records;
}

// Every line of the page as decoded, at the page's full line width, with
// no aspect correction.
inline Raster DecodePage(const std::string& path, int page, int* code = nullptr) {
    ApfPageHeader header;
    LookupPageHeader(path, page, header);
    const int width = (header.pageFlags & pfWide) ? kWideLineWidth : kStandardLineWidth;
    std::vector<std::vector<std::uint8_t>> lines;
    std::unique_ptr<UnpackerState> state;
    CreateUnpacker(
        [&lines](UnpackerState&, int flags, const std::uint8_t* line, int, int length) {
            if (flags == ulLine)
                lines.emplace_back(line, line + length);
            return ecOK;
        },
        state);
    ClearUnpackOption(*state, 0xFFFF);
    const int result = DecodePageLines(*state, path, page);
    if (code)
        *code = result;
    Raster raster(width, static_cast<int>(lines.size()));
    for (std::size_t y = 0; y < lines.size(); ++y)
        std::copy_n(lines[y].begin(), std::min<std::size_t>(lines[y].size(), width / 8),
                    raster.Row(static_cast<int>(y)).begin());
    return raster;
}

// The code of the FaxError the action raises; ecOK when it raises none.
inline int ThrownCode(const std::function<void()>& action) {
    try {
        action();
    } catch (const FaxError& error) {
        return error.code();
    }
    return ecOK;
}

// A picture with a deterministic, text-like pattern of black runs.
inline Raster PatternRaster(int width, int height, unsigned seed = 1) {
    Raster raster(width, height);
    unsigned value = seed;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width;) {
            value = value * 1103515245u + 12345u;
            const int run = 1 + static_cast<int>((value >> 16) % 40);
            if ((value >> 8) & 1)
                raster.FillRect(x, y, run, 1, true);
            x += run;
        }
    }
    return raster;
}

}  // namespace corvane::faximage::testing
