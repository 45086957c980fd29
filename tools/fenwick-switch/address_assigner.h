// Adds and removes IPv4 addresses on the switches' network interface (rtnetlink), so that a
// switch whose address a set request changed goes on answering at its new address. Only used
// inside the lab's own network namespace.
#pragma once

#include "unique_fd.h"

#include <cstdint>
#include <optional>
#include <string>

namespace fenwick::sim {

class AddressAssigner {
public:
    static std::optional<AddressAssigner> Open(const std::string& interface, int prefixLength,
                                               std::string& error);

    // Each returns 0, or -1 with the reason in `error`. Adding an address the interface
    // already has, or removing one it does not have, succeeds.
    int Add(std::uint32_t ip, std::string& error);
    int Remove(std::uint32_t ip, std::string& error);

private:
    AddressAssigner(UniqueFd fd, int interfaceIndex, int prefixLength)
        : fd_(std::move(fd)), interfaceIndex_(interfaceIndex), prefixLength_(prefixLength) {}
    int Change(std::uint16_t type, std::uint16_t flags, std::uint32_t ip, std::string& error);

    UniqueFd fd_;
    int interfaceIndex_;
    int prefixLength_;
    std::uint32_t sequence_ = 0;
};

} // namespace fenwick::sim
