// Trap bodies straight from the network, through to the log line and the stored entry.
#include "codec/device_record.h"
#include "codec/event_log_lines.h"
#include "codec/text_forms.h"
#include "codec/trap_body.h"
#include "codec/trap_entry.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

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
    fenwick::TrapEntry entry = fenwick::ZeroTrapEntry();
    fenwick::SetFieldText(entry.EventText, trap.eventText);
    if (fenwick::FieldText(entry.EventText).size() >= sizeof entry.EventText) {
        __builtin_trap();
    }
    return 0;
}
