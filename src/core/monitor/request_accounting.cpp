#include "request_accounting.h"

#include <algorithm>
#include <limits>

namespace fenwick {

void MarkRequestSent(DeviceTable& monitorTable, int index) {
    if (index < 0 || index >= static_cast<int>(monitorTable.size())) {
        return;
    }
    DeviceRecord& entry = monitorTable[static_cast<std::size_t>(index)];
    if (entry.Answered == kAnswered) {
        entry.Answered = kNotAnswered;
        entry.MissCount = 0;
    } else if (entry.MissCount < std::numeric_limits<std::int32_t>::max()) {
        // A device that stays silent for years must not wrap round to "answered lately".
        ++entry.MissCount;
    }
}

void MarkAllRequestsSent(DeviceTable& monitorTable, int count) {
    const auto end =
        static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(monitorTable.size())));
    for (std::size_t index = 0; index < end; ++index) {
        DeviceRecord& entry = monitorTable[index];
        // An entry without an address text (from a file) is passed over, not taken for the
        // end of the list.
        if (FieldText(entry.IpText).empty()) {
            continue;
        }
        if (entry.Answered != kAnswered) {
            entry.Answered = kNotAnswered;
        }
        MarkRequestSent(monitorTable, static_cast<int>(index));
    }
}

} // namespace fenwick
