// Our compound index file: the tag definitions, what the table looked like
// when the tags were built (record count and checksum of the records), and
// each tag's rows in key order. Definitions and orders carry checksums of
// their own, so damaged orders can be rebuilt from intact definitions.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "index_tag.h"

namespace corvane::tables {

struct IndexFileContents {
    std::vector<TagDefinition> tags;
    std::uint32_t recordCount = 0;
    std::uint64_t tableChecksum = 0;
    std::vector<std::vector<std::uint32_t>> orders;  // one per tag, record numbers from 1
    bool ordersIntact = false;                       // false: orders empty, rebuild them
};

// Throws TableError when the definitions cannot be trusted.
IndexFileContents ReadIndexFile(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> SerializeIndexFile(const IndexFileContents& contents);

}  // namespace corvane::tables
