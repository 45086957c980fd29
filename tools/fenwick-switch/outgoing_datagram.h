// A datagram a switch sends on its own initiative (a trap), from its own address.
#pragma once

#include <cstdint>
#include <vector>

namespace fenwick::sim {

struct OutgoingDatagram {
    std::uint32_t source = 0;
    std::uint32_t destination = 0;
    std::uint16_t port = 0;
    std::vector<std::uint8_t> bytes;

    bool operator==(const OutgoingDatagram&) const = default;
};

} // namespace fenwick::sim
