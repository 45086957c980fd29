#include "broadcast_interfaces.h"

#include <algorithm>

namespace fenwick {

std::vector<InterfaceAddress> BroadcastInterfaces(const std::vector<InterfaceAddress>& addresses) {
    std::vector<InterfaceAddress> chosen;
    for (const InterfaceAddress& entry : addresses) {
        if (!entry.up || entry.loopback || !entry.broadcast) {
            continue;
        }
        const bool seen = std::any_of(chosen.begin(), chosen.end(), [&](const auto& other) {
            return other.index == entry.index;
        });
        if (!seen) {
            chosen.push_back(entry);
        }
    }
    return chosen;
}

} // namespace fenwick
