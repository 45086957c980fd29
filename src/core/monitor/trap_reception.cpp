#include "trap_reception.h"

#include "codec/device_tables.h"
#include "codec/event_log_lines.h"
#include "codec/text_forms.h"
#include "codec/trap_body.h"
#include "core/lists/monitor_list_service.h"
#include "core/monitor/event_log.h"
#include "core/monitor/trap_table.h"

#include <optional>
#include <string>

namespace fenwick {

TrapReception::TrapReception(ProgramState& state, MonitorListService& monitor, EventLog& log,
                             const Clock& clock, TrapIndicator& indicator, QObject* parent)
    : QObject(parent), state_(state), monitor_(monitor), log_(log), clock_(clock),
      indicator_(indicator) {}

void TrapReception::HandleTrap(std::span<const std::uint8_t> body) {
    TrapBody trap;
    if (!ParseTrapBody(body, trap)) {
        return; // no whole address: no device to attribute it to
    }
    const std::string address = AddressText(trap.address);
    const std::optional<int> index =
        FindMonitorByIp(state_.MonitorTable, monitor_.Count(), address);
    if (!index) {
        return;
    }
    indicator_.ShowTrapArrived();

    DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(*index)];
    MarkHeardFrom(entry, kListStateHasRow, kStatusImageNone);
    monitor_.ShowMonitorRow(*index);

    const Timestamp timestamp = FormatTimestamp(clock_);
    log_.AppendToSyslog(std::string_view(timestamp.data(), kTimestampLength));
    log_.AppendToSyslog(TrapLineTail(address, trap.eventText));

    StoreTrap(state_.TrapTable, state_.TrapCount, timestamp.data(), address, trap.eventText);
    emit trapAccepted(
        {std::string(timestamp.data(), kTimestampLength), address, std::string(trap.eventText)});
}

} // namespace fenwick
