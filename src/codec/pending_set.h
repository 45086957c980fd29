// What identifies the answer to the last set request: the MAC text of the device it went to
// and the IP address its body carried.
#pragma once

#include <cstdint>
#include <string_view>

namespace fenwick {

class PendingSet {
public:
    std::string_view ReadPendingSetMac() const;
    void WritePendingSetMac(std::string_view macText);
    std::uint32_t ReadPendingSetIp() const { return PendingSetIp; }
    void WritePendingSetIp(std::uint32_t ip) { PendingSetIp = ip; }

private:
    char PendingSetMac[16] = {};
    std::uint32_t PendingSetIp = 0;
};

} // namespace fenwick
