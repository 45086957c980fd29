// Trap bodies straight from the network, through to the log line and the program's trap store.
#include "codec/device_record.h"
#include "codec/event_log_lines.h"
#include "codec/text_forms.h"
#include "codec/trap_body.h"
#include "codec/trap_entry.h"
#include "core/monitor/trap_table.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fenwick::TrapBody trap;
    if (!fenwick::ParseTrapBody({data, size}, trap)) {
        return 0;
    }
    // The text lies inside the body and holds no zero byte.
    const auto* text = reinterpret_cast<const std::uint8_t*>(trap.eventText.data());
    if (text < data || text + trap.eventText.size() > data + size ||
        trap.eventText.find('\0') != std::string_view::npos) {
        __builtin_trap();
    }
    // One trap, one line: the only line break is the one that ends it.
    const std::string line =
        fenwick::TrapLineTail(fenwick::AddressText(trap.address), trap.eventText);
    if (line.find_first_of("\r\n") != line.size() - 2) {
        __builtin_trap();
    }
    // Stored by the program's trap store into an empty table and into a full one.
    const std::string address = fenwick::AddressText(trap.address);
    const std::string_view time = "01/05/2004 09:30:00";
    const std::string_view stored =
        trap.eventText.substr(0, sizeof(fenwick::TrapEntry::EventText) - 1);
    const auto holdsTheTrap = [&](const fenwick::TrapEntry& entry) {
        return fenwick::FieldText(entry.TimeText) == time &&
               fenwick::FieldText(entry.DeviceIpText) == address &&
               fenwick::FieldText(entry.EventText) == stored &&
               entry.EventText[stored.size()] == '\0' && entry.EventImage == fenwick::kTrapImageNew;
    };
    const fenwick::TrapEntry zero = fenwick::ZeroTrapEntry();
    const auto isZero = [&](const fenwick::TrapEntry& entry) {
        return std::memcmp(&entry, &zero, sizeof zero) == 0;
    };

    static fenwick::TrapEntryTable table;
    table.fill(zero);
    std::int32_t count = 0;
    fenwick::StoreTrap(table, count, time, address, trap.eventText);
    if (count != 1 || !holdsTheTrap(table[0]) || !isZero(table[1])) {
        __builtin_trap();
    }

    // A full table: slot i holds the trap numbered i; the oldest goes, the rest move down.
    for (std::size_t i = 0; i < fenwick::kTrapSlotsUsed; ++i) {
        table[i] = zero;
        fenwick::SetFieldText(table[i].EventText, std::to_string(i));
    }
    table[fenwick::kTrapSlotsUsed] = zero;
    count = static_cast<std::int32_t>(fenwick::kTrapSlotsUsed);
    fenwick::StoreTrap(table, count, time, address, trap.eventText);
    if (count != static_cast<std::int32_t>(fenwick::kTrapSlotsUsed) + 1 ||
        fenwick::FieldText(table[0].EventText) != "1" ||
        fenwick::FieldText(table[fenwick::kTrapSlotsUsed - 2].EventText) !=
            std::to_string(fenwick::kTrapSlotsUsed - 1) ||
        !holdsTheTrap(table[fenwick::kTrapSlotsUsed - 1]) ||
        !isZero(table[fenwick::kTrapSlotsUsed])) {
        __builtin_trap();
    }
    return 0;
}
