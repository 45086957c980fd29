// Dotted-decimal literals for readable test tables.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace fenwick::testing {

inline std::uint32_t Ip(const char* dotted) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(dotted, "%u.%u.%u.%u", &a, &b, &c, &d);
    return (a << 24) | (b << 16) | (c << 8) | d;
}

} // namespace fenwick::testing
