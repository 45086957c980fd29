// FNV-1a, 64 bits: a short fingerprint of a received firmware image, so that a test can tell
// whether the switch holds exactly the bytes that were sent without fetching them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace fenwick::sim {

inline std::uint64_t Fnv1a64(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 0xcbf29ce484222325;
    for (const std::uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3;
    }
    return hash;
}

// The digest as 16 lowercase hexadecimal digits.
inline std::string Fnv1a64Text(std::span<const std::uint8_t> bytes) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(Fnv1a64(bytes)));
    return text;
}

} // namespace fenwick::sim
