// The dBASE III / FoxPro file header: parsing with every size checked against
// the file, and writing. Used by the table; not part of its public interface.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "field.h"

namespace corvane::tables {

inline constexpr char kEndOfFile = 0x1A;
inline constexpr int kRecordCountOffset = 4;

struct DbfHeader {
    std::uint32_t recordCount = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::vector<Field> fields;
};

// Parses the header at the start of data; fileSize is the whole file's size.
// Throws TableError with the reason when the file is not a usable table.
DbfHeader ParseDbfHeader(std::span<const std::uint8_t> data, std::uint64_t fileSize);

// Header bytes for these fields and record count, stamped with today's date.
std::vector<std::uint8_t> SerializeDbfHeader(const std::vector<Field>& fields,
                                             std::uint32_t recordCount);

// The eight header bytes that change with each append: date and record count.
std::vector<std::uint8_t> SerializeUpdateStamp(std::uint32_t recordCount);
inline constexpr int kUpdateStampOffset = 1;

}  // namespace corvane::tables
