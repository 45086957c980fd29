#include "request_accounting.h"

#include <limits>

namespace fenwick {

void MarkRequestSent(DeviceTable& monitorTable, int index) {
    if (index < 0 || index >= static_cast<int>(monitorTable.size())) {
        return;
    }
    DeviceRecord& entry = monitorTable[static_cast<std::size_t>(index)];
    if (entry.Answered == 1) {
        entry.Answered = 0;
        entry.MissCount = 0;
    } else if (entry.MissCount < std::numeric_limits<std::int32_t>::max()) {
        // A device that stays silent for years must not wrap round to "answered lately".
        ++entry.MissCount;
    }
}

void MarkAllRequestsSent(DeviceTable& monitorTable) {
    for (std::size_t index = 0; index < monitorTable.size(); ++index) {
        DeviceRecord& entry = monitorTable[index];
        if (FieldText(entry.IpText).empty()) {
            return;
        }
        if (entry.Answered != 1) {
            entry.Answered = 0;
        }
        MarkRequestSent(monitorTable, static_cast<int>(index));
    }
}

} // namespace fenwick
