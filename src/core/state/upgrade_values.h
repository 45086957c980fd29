// The values an upgrade's window and its transfer share.
#pragma once

#include <cstdint>

namespace fenwick {

// Cleared at start-up, kept after an upgrade.
struct UpgradeValues {
    std::uint32_t UpgradeTargetIp = 0;   // the device's address, host order
    bool UpgradeTargetInMonitor = false; // chosen in the Monitor List: triggered by unicast
    char FirmwarePath[128] = {};         // the image file last chosen or started, 8-bit path
    std::uint32_t UpgradeBytesSent = 0;
};

} // namespace fenwick
