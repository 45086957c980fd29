// Trap reception: a trap from a monitored device is a sign of life, a line in the event log,
// an entry in the TrapTable and a red TrapIndicator. Traps from any other address leave no
// trace.
#pragma once

#include "core/monitor/trap_indicator.h"
#include "core/ports/clock.h"
#include "core/state/program_state.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace fenwick {

class EventLog;
class MonitorListService;

// One accepted trap, as the event log's line gives it.
struct AcceptedTrap {
    std::string timeText; // the timestamp text
    std::string address;  // dotted
    std::string eventText;
};

class TrapReception {
public:
    TrapReception(ProgramState& state, MonitorListService& monitor, EventLog& log,
                  const Clock& clock, TrapIndicator& indicator);

    // The dispatcher's trap handler: `body` is what follows the header, as received.
    void HandleTrap(std::span<const std::uint8_t> body);

    // Told of every accepted trap once it is logged and stored (a command from a script
    // prints it); empty: nobody is told.
    void SetAcceptedHandler(std::function<void(const AcceptedTrap&)> accepted);

private:
    ProgramState& state_;
    MonitorListService& monitor_;
    EventLog& log_;
    const Clock& clock_;
    TrapIndicator& indicator_;
    std::function<void(const AcceptedTrap&)> accepted_;
};

} // namespace fenwick
