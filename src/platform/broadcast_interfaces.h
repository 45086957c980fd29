// Which interfaces a limited broadcast (255.255.255.255) goes out of: each one that is up, is
// not loopback, can broadcast and has an IPv4 address, once however many addresses it has.
#pragma once

#include "core/ports/local_addresses.h"

#include <vector>

namespace fenwick {

// The first address entry of each such interface, in the order of `addresses`.
std::vector<InterfaceAddress> BroadcastInterfaces(const std::vector<InterfaceAddress>& addresses);

} // namespace fenwick
