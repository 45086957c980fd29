// Datagrams the kernel dropped for want of room in a UDP receive buffer, in this network
// namespace (RcvbufErrors of /proc/net/snmp): tells traps lost before the program could read
// them from traps lost after.
#pragma once

#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace fenwick::bench {

// -1 when the counter cannot be read.
inline std::int64_t UdpReceiveBufferDrops() {
    std::ifstream snmp("/proc/net/snmp");
    std::string names;
    std::string values;
    while (std::getline(snmp, names)) {
        if (!names.starts_with("Udp:") || !std::getline(snmp, values)) {
            continue;
        }
        std::istringstream n(names);
        std::istringstream v(values);
        std::string name;
        std::string value;
        while (n >> name && v >> value) {
            std::int64_t count = -1;
            if (name == "RcvbufErrors" &&
                std::from_chars(value.data(), value.data() + value.size(), count).ec ==
                    std::errc{}) {
                return count;
            }
        }
    }
    return -1;
}

} // namespace fenwick::bench
