// Settings for a lab of N switches on consecutive addresses.
#pragma once

#include "switch_settings.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace fenwick::sim {

struct GeneratorOptions {
    std::size_t count = 0;
    std::uint32_t agentKey = 0x1A2B3C4D;
    std::uint16_t basePort = 8080;
    std::uint32_t firstIp = 0x0A4D0101;      // 10.77.1.1
    std::uint32_t subnetMask = 0xFFFF0000;   // 255.255.0.0
    std::uint32_t trapReceiver = 0x0A4D0001; // 10.77.0.1, the lab's manager
    std::size_t loaderSwitch = 0;            // 1-based; 0 for none
    std::size_t foreignSwitch = 0;           // 1-based; 0 for none
};

// Switch k (1-based) gets the k-th address from firstIp on, skipping host octets 0 and 255 so
// that no switch sits on a /24 network or broadcast address, and the MAC address 02:00 followed
// by its four address bytes (locally administered, unique per address). The foreign switch
// speaks protocol version 3. Returns nothing when the addresses would leave firstIp's subnet
// or a 1-based index is beyond the count, with the reason in `error`.
std::optional<NetworkSettings> GenerateSettings(const GeneratorOptions& options,
                                                std::string& error);

} // namespace fenwick::sim
