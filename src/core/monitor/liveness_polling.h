// Liveness polling of the monitored devices. A polling cycle sends a poll to every monitored
// device once per RefreshSeconds; a tick every 5 seconds resends to devices that missed one or
// two answers and declares those that missed three not alive. Both run on the event loop: the
// cycle is a single-shot timer that re-arms itself, reading RefreshSeconds as each wait begins.
// Ticks go on every 5 seconds even while a box of an earlier tick waits for the operator, so
// that an unattended station still records every outage: each tick starts its timer afresh
// before it does anything that may open a box.
#pragma once

#include "core/monitor/event_log.h"
#include "core/ports/clock.h"
#include "core/ports/timers.h"
#include "core/state/program_state.h"
#include "core/support/unstacked_boxes.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace fenwick {

class MonitorListService;
class ProtocolSockets;

class LivenessPolling {
public:
    static constexpr int kTickMilliseconds = 5000;
    // MissCount at which the tick resends (1 and 2) and from which it declares not alive.
    static constexpr int kDeadMissCount = 3;

    // `applicationName`, the executable's file name without extension, captions the
    // "polling error" boxes.
    LivenessPolling(ProgramState& state, UnstackedBoxes& boxes, Timers& timers, const Clock& clock,
                    ProtocolSockets& sockets, MonitorListService& monitor, EventLog& log,
                    QString applicationName);

    // Starts the polling cycles, the first one at once, then the tick. Called once the monitor
    // list is restored and the sockets are open.
    void Start();
    // Stops both timers; nothing more is sent.
    void Stop();

    // The "Refresh time" menu: 15, 30, 60, 120 or 300 seconds. The wait in progress runs out
    // with the old value. Other values are ignored.
    void SetRefreshSeconds(int seconds);
    static bool IsRefreshChoice(int seconds);

private:
    void PollCycle();
    void Tick();
    void DeclareNotAlive(int index, const Timestamp& timestamp);
    // Where the entry that stood at `index` as `judged` stands now, if it is still there.
    std::optional<int> FindJudgedEntry(int index, const DeviceRecord& judged) const;
    // Sends the poll to `address` from UnicastSocket: 0 or the OS error number.
    int SendPoll(std::uint32_t address);

    ProgramState& state_;
    UnstackedBoxes& boxes_;
    const Clock& clock_;
    ProtocolSockets& sockets_;
    MonitorListService& monitor_;
    EventLog& log_;
    QString applicationName_;
    std::unique_ptr<Timer> cycleWait_;
    std::unique_ptr<Timer> tick_;
    bool running_ = false;
    // Counts the ticks begun; a tick resuming after its box sees whether a later one has run.
    std::uint64_t ticksBegun_ = 0;
};

} // namespace fenwick
