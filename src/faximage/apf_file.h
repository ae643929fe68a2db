// APF fax files: a 64-byte file header, then a chain of pages, each a
// 16-byte page header followed by its coded data. All numbers little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace corvane::faximage {

inline constexpr int kApfFileHeaderSize = 64;
inline constexpr int kApfPageHeaderSize = 16;
inline constexpr int kApfFirstPageOffset = 64;
inline constexpr std::array<char, 6> kApfSignature = {'A', 'P', 'F', '1', '0', '\x1A'};
inline constexpr int kStationIdMaxLength = 20;

enum PageFlags : std::uint16_t {
    pfFine = 1,          // fine vertical resolution
    pfWide = 2,          // 2048-pixel lines
    pfCountedLines = 4,  // data is a sequence of (u16 length, bytes) line records
};

struct ApfFileHeader {
    std::array<char, 6> signature{};
    std::uint32_t dateStamp = 0;  // DOS-packed date and time
    std::uint8_t stationIdLength = 0;
    std::array<char, kStationIdMaxLength> stationId{};
    std::uint16_t pageCount = 0;
    std::uint32_t firstPageOffset = 0;

    std::string StationId() const;  // by the length byte, capped at 20
};

struct ApfPageHeader {
    std::uint32_t dataLength = 0;
    std::uint16_t pageFlags = 0;
};

// Byte layout of the two records.
std::array<std::uint8_t, kApfFileHeaderSize> EncodeFileHeader(const ApfFileHeader& header);
ApfFileHeader DecodeFileHeader(const std::uint8_t* bytes);  // reads 64 bytes
std::array<std::uint8_t, kApfPageHeaderSize> EncodePageHeader(const ApfPageHeader& header);
ApfPageHeader DecodePageHeader(const std::uint8_t* bytes);  // reads 16 bytes

// A header as writers start it: signature, first page offset 64, rest zero.
ApfFileHeader NewFileHeader();
// Station id truncated to 20 characters, padded with spaces, true length kept.
void SetStationId(ApfFileHeader& header, const std::string& id);
// DOS-packed date stamp; 0 when the year lies outside 1980-2099.
std::uint32_t PackDateStamp(const std::tm& localTime);

bool IsApfFile(const std::string& path);
// 0, -2 for an empty path, the negated file-system code, or -8001.
int ReadApfHeader(const std::string& path, ApfFileHeader& header);
// Walks the chain to page (1-based); page 0 succeeds without reading one.
int LookupPageHeader(const std::string& path, int page, ApfPageHeader& pageHeader);
// Appends every page of secondPath to firstPath in place; throws FaxError.
void JoinApfFiles(const std::string& firstPath, const std::string& secondPath);

}  // namespace corvane::faximage
