// The TrapTable with its TrapCount: the most recent traps in arrival order, oldest in slot 0.
#pragma once

#include "codec/trap_entry.h"

#include <cstdint>
#include <string_view>

namespace fenwick {

// Stores a new trap, marked new: in slot TrapCount while fewer than 1499 are held; otherwise the
// table slides down by one, dropping the oldest, and the trap goes into slot 1498. TrapCount
// then counts it (it stops at its largest value rather than wrap). Texts are cut to their
// fields.
void StoreTrap(TrapEntryTable& trapTable, std::int32_t& trapCount, std::string_view timeText,
               std::string_view deviceIpText, std::string_view eventText);

// "Clear all": every slot to zero bytes and TrapCount to 0.
void ClearTraps(TrapEntryTable& trapTable, std::int32_t& trapCount);

} // namespace fenwick
