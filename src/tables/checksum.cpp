#include "checksum.h"

#include <cstring>

namespace corvane::tables {

namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

std::uint64_t Mix(std::uint64_t h, std::uint64_t word) {
    h ^= word * kMultiplier;
    h = (h << 31) | (h >> 33);
    return h * 0xC2B2AE3D27D4EB4Full;
}

}  // namespace

std::uint64_t Checksum64(const void* data, std::size_t size, std::uint64_t seed) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint64_t h = seed ^ (size * kMultiplier);
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        h = Mix(h, word);
    }
    std::uint64_t tail = 0;
    if (size > at)
        std::memcpy(&tail, bytes + at, size - at);
    h = Mix(h, tail);
    h ^= h >> 29;
    return h * kMultiplier;
}

}  // namespace corvane::tables
