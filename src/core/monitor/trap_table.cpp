#include "trap_table.h"

#include "codec/device_record.h"

#include <algorithm>
#include <limits>

namespace fenwick {

void StoreTrap(TrapEntryTable& trapTable, std::int32_t& trapCount, std::string_view timeText,
               std::string_view deviceIpText, std::string_view eventText) {
    constexpr auto kLastUsed = static_cast<std::ptrdiff_t>(kTrapSlotsUsed - 1);
    std::size_t slot = 0;
    if (trapCount >= 0 && trapCount < static_cast<std::int32_t>(kTrapSlotsUsed)) {
        slot = static_cast<std::size_t>(trapCount);
    } else {
        std::copy(trapTable.begin() + 1, trapTable.begin() + kLastUsed + 1, trapTable.begin());
        slot = static_cast<std::size_t>(kLastUsed);
    }
    TrapEntry& entry = trapTable[slot];
    SetFieldText(entry.TimeText, timeText);
    SetFieldText(entry.DeviceIpText, deviceIpText);
    SetFieldText(entry.EventText, eventText);
    entry.EventImage = kTrapImageNew;
    if (trapCount < std::numeric_limits<std::int32_t>::max()) {
        ++trapCount;
    }
}

void ClearTraps(TrapEntryTable& trapTable, std::int32_t& trapCount) {
    trapTable.fill(ZeroTrapEntry());
    trapCount = 0;
}

} // namespace fenwick
