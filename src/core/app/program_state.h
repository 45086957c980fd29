// The program-wide tables and values, owned by the application and passed by reference.
#pragma once

#include "codec/definition_file.h"
#include "codec/device_record.h"
#include "codec/pending_set.h"
#include "codec/reply_checks.h"

namespace fenwick {

struct ProgramState {
    ProtocolValues Protocol; // AgentKey and the three ports, from the definition file
    ReplyContext Reply;      // what the reply checks read and advance (SetSequence, flags)
    PendingSet Pending;      // PendingSetMac, PendingSetIp
    DeviceTable DiscoveryTable{};
    DeviceTable MonitorTable{};
};

} // namespace fenwick
