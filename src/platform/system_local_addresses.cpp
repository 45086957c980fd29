#include "system_local_addresses.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <memory>
#include <net/if.h>
#include <netinet/in.h>

namespace fenwick {
namespace {

struct FreeInterfaceList {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

std::uint32_t HostOrder(const sockaddr* address) {
    if (address == nullptr || address->sa_family != AF_INET) {
        return 0;
    }
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

} // namespace

std::vector<InterfaceAddress> SystemLocalAddresses::List() const {
    std::vector<InterfaceAddress> addresses;
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0) {
        return addresses;
    }
    const std::unique_ptr<ifaddrs, FreeInterfaceList> list(raw);
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const unsigned index = if_nametoindex(entry->ifa_name);
        if (index == 0) {
            continue; // gone since the list was read
        }
        addresses.push_back({entry->ifa_name, index, HostOrder(entry->ifa_addr),
                             HostOrder(entry->ifa_netmask), (entry->ifa_flags & IFF_UP) != 0,
                             (entry->ifa_flags & IFF_LOOPBACK) != 0,
                             (entry->ifa_flags & IFF_BROADCAST) != 0});
    }
    // The system lists addresses by kind and age; the callers want interface order, with an
    // interface's own addresses in the system's order.
    std::stable_sort(
        addresses.begin(), addresses.end(),
        [](const InterfaceAddress& a, const InterfaceAddress& b) { return a.index < b.index; });
    return addresses;
}

} // namespace fenwick
