// Temporary directories and hand-built APF files for the file tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "faximage/apf_file.h"

namespace corvane::faximage::testing {

class TempDirectory {
  public:
    TempDirectory() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() / ("corvane-apf-" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~TempDirectory() { std::filesystem::remove_all(path_); }
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

struct TestPage {
    std::uint16_t flags;
    std::vector<std::uint8_t> data;
};

inline std::vector<std::uint8_t> ApfBytes(const ApfFileHeader& header,
                                          const std::vector<TestPage>& pages) {
    const auto head = EncodeFileHeader(header);
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    for (const TestPage& page : pages) {
        const auto pageHead =
            EncodePageHeader({static_cast<std::uint32_t>(page.data.size()), page.flags});
        bytes.insert(bytes.end(), pageHead.begin(), pageHead.end());
        bytes.insert(bytes.end(), page.data.begin(), page.data.end());
    }
    return bytes;
}

inline ApfFileHeader HeaderFor(std::uint16_t pageCount, const std::string& station = "",
                               std::uint32_t date = 0) {
    ApfFileHeader header = NewFileHeader();
    header.pageCount = pageCount;
    SetStationId(header, station);
    header.dateStamp = date;
    return header;
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace corvane::faximage::testing
