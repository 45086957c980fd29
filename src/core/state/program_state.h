// The program-wide tables and values, owned by the application and passed by reference.
#pragma once

#include "codec/definition_file.h"
#include "codec/device_record.h"
#include "codec/pending_set.h"
#include "codec/reply_checks.h"
#include "codec/trap_entry.h"
#include "core/state/selection_state.h"
#include "core/state/upgrade_values.h"

#include <cstdint>

namespace fenwick {

// The poll interval at start-up, and the one the menu shows checked then.
inline constexpr int kInitialRefreshSeconds = 15;

struct ProgramState {
    ProtocolValues Protocol; // AgentKey and the three ports, from the definition file
    ReplyContext Reply;      // what the reply checks read and advance (SetSequence, flags)
    PendingSet Pending;      // PendingSetMac, PendingSetIp
    DeviceTable DiscoveryTable{};
    DeviceTable MonitorTable{};
    TrapEntryTable TrapTable{};
    std::int32_t TrapCount = 0;
    int RefreshSeconds = kInitialRefreshSeconds; // seconds between two polling cycles
    UpgradeValues Upgrade;
    SelectionState Selection; // the device chosen for configuration, password or upgrade
};

} // namespace fenwick
