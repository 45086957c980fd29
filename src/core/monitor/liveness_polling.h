// Liveness polling of the monitored devices. A polling cycle sends a poll to every monitored
// device once per RefreshSeconds; a tick every 5 seconds resends to devices that missed one or
// two answers and declares those that missed three not alive. Both run on the event loop: the
// cycle is a single-shot timer that re-arms itself, reading RefreshSeconds as each wait begins.
#pragma once

#include "core/app/program_state.h"
#include "core/monitor/event_log.h"
#include "core/ports/timers.h"
#include "core/ports/user_prompts.h"

#include <cstdint>
#include <memory>

namespace fenwick {

class MonitorListService;
class ProtocolSockets;

class LivenessPolling {
public:
    static constexpr int kTickMilliseconds = 5000;
    // MissCount at which the tick resends (1 and 2) and from which it declares not alive.
    static constexpr int kDeadMissCount = 3;
    // The "polling error" boxes carry the executable's name as their caption.
    static constexpr const char* kApplicationName = "fenwick";

    LivenessPolling(ProgramState& state, UserPrompts& prompts, Timers& timers,
                    ProtocolSockets& sockets, MonitorListService& monitor, EventLog& log);

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
    // Sends the poll to `address` from UnicastSocket: 0 or the OS error number.
    int SendPoll(std::uint32_t address);

    ProgramState& state_;
    UserPrompts& prompts_;
    ProtocolSockets& sockets_;
    MonitorListService& monitor_;
    EventLog& log_;
    std::unique_ptr<Timer> cycleWait_;
    std::unique_ptr<Timer> tick_;
    bool running_ = false;
    bool ticking_ = false;
};

} // namespace fenwick
