// The body of a trap (command 9): the device's IPv4 address, then its event text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace fenwick {

struct TrapBody {
    std::uint32_t address = 0;  // host order, first dotted octet most significant
    std::string_view eventText; // 8-bit characters, a view into the body
};

// Reads a trap body: 4 bytes of address in network order, then the event text up to the first
// zero byte or the end of the body, whichever comes first. A body too short to hold the whole
// address names no device; it gives false and `trap` is left as it was.
bool ParseTrapBody(std::span<const std::uint8_t> body, TrapBody& trap);

} // namespace fenwick
