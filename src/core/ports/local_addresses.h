// Port for the machine's own IPv4 addresses: which interfaces there are, their addresses and
// masks and whether they are up, loopback and broadcast-capable. The limited broadcast goes
// out of every usable interface through it, and the firmware upgrade's subnet check reads the
// manager's addresses from it. The platform layer reads the system's list; tests give a fixed
// one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fenwick {

// One IPv4 address of one interface. An interface with several addresses gives one entry per
// address, all with the same name and index.
struct InterfaceAddress {
    std::string name;
    unsigned index = 0;        // the system's interface index
    std::uint32_t address = 0; // host order, as every address in the program
    std::uint32_t mask = 0;    // host order
    bool up = false;
    bool loopback = false;
    bool broadcast = false; // the interface can send broadcasts

    bool operator==(const InterfaceAddress&) const = default;
};

class LocalAddresses {
public:
    virtual ~LocalAddresses() = default;

    // Every IPv4 address of every interface, down ones included, in interface order (by
    // index); an interface without an IPv4 address is not listed. Empty when the system
    // cannot tell.
    virtual std::vector<InterfaceAddress> List() const = 0;
};

} // namespace fenwick
