// Trap reception: a trap from a monitored device is a sign of life, a line in the event log,
// an entry in the TrapTable and a red TrapIndicator. Traps from any other address leave no
// trace.
#pragma once

#include "core/monitor/trap_indicator.h"
#include "core/ports/clock.h"
#include "core/state/program_state.h"

#include <QObject>
#include <cstdint>
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

class TrapReception final : public QObject {
    Q_OBJECT

public:
    TrapReception(ProgramState& state, MonitorListService& monitor, EventLog& log,
                  const Clock& clock, TrapIndicator& indicator, QObject* parent = nullptr);

    // The dispatcher's trap handler: `body` is what follows the header, as received.
    void HandleTrap(std::span<const std::uint8_t> body);

signals:
    // A trap was accepted, logged and stored (a command from a script prints it).
    void trapAccepted(const fenwick::AcceptedTrap& trap);

private:
    ProgramState& state_;
    MonitorListService& monitor_;
    EventLog& log_;
    const Clock& clock_;
    TrapIndicator& indicator_;
};

} // namespace fenwick
