// One stored trap as the trap window lists it, and the table that keeps the most recent ones.
// Standard layout with fixed offsets, like the device record, so that the table is one plain
// block of 300-byte entries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace fenwick {

// EventImage values: a trap not yet clicked in the trap window shows the warning sign.
inline constexpr std::int32_t kTrapImageNew = 0;
inline constexpr std::int32_t kTrapImageSeen = -1;

struct TrapEntry {
    char TimeText[20];     // the 19-character timestamp and a zero byte
    char DeviceIpText[20]; // dotted address from the trap body
    char EventText[256];   // at most 255 characters and a zero byte
    std::int32_t EventImage;
};

static_assert(std::is_standard_layout_v<TrapEntry>);
static_assert(std::is_trivially_copyable_v<TrapEntry>);
static_assert(sizeof(TrapEntry) == 300);
static_assert(offsetof(TrapEntry, TimeText) == 0);
static_assert(offsetof(TrapEntry, DeviceIpText) == 20);
static_assert(offsetof(TrapEntry, EventText) == 40);
static_assert(offsetof(TrapEntry, EventImage) == 296);

// 1500 slots, of which the last always stays zero: an entry with an empty EventText follows the
// last used one, which is where the trap window stops listing.
inline constexpr std::size_t kTrapTableSlots = 1500;
inline constexpr std::size_t kTrapSlotsUsed = kTrapTableSlots - 1;
using TrapEntryTable = std::array<TrapEntry, kTrapTableSlots>;
static_assert(sizeof(TrapEntryTable) == 450000);

// An entry with every byte zero.
inline TrapEntry ZeroTrapEntry() {
    TrapEntry entry;
    std::memset(&entry, 0, sizeof entry);
    return entry;
}

} // namespace fenwick
