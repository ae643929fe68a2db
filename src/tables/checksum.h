// A fast 64-bit checksum for telling whether an index still matches its table
// and whether an index file was damaged. Not cryptographic.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane::tables {

std::uint64_t Checksum64(const void* data, std::size_t size, std::uint64_t seed = 0);

}  // namespace corvane::tables
