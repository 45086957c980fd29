// Request accounting of the monitored devices: each request counted against a device that has
// not answered since the previous one raises its MissCount, which the liveness tick judges.
#pragma once

#include "codec/device_record.h"

namespace fenwick {

// Counts one request to MonitorTable entry `index`: an answered entry starts waiting afresh
// (Answered 0, MissCount 0); any other one has missed one more.
void MarkRequestSent(DeviceTable& monitorTable, int index);

// The same for each of the first `count` entries (those with a row) that has an IP text. Done
// before a broadcast, which reaches every monitored device.
void MarkAllRequestsSent(DeviceTable& monitorTable, int count);

} // namespace fenwick
