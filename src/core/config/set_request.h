// Sending a set request (configuration or password) to the chosen device: by unicast to a
// Monitor List device's current address, by broadcast to a Discovery List device, which knows
// itself by the MAC address in the header.
#pragma once

#include "core/ports/user_prompts.h"
#include "core/state/program_state.h"

#include <QString>

namespace fenwick {

class MonitorListService;
class ProtocolSockets;

// What became of a "Set": the dialog stays open only after a failed check.
enum class SetOutcome {
    Sent,
    CheckFailed, // the operator has been told; nothing was sent
    SendFailed,  // the operator has been told; the request is not repeated
};

class SetRequest {
public:
    SetRequest(ProgramState& state, UserPrompts& prompts, ProtocolSockets& sockets,
               MonitorListService& monitor);

    // Sends `request` (its MacText addresses the header, its fields make the body) to the
    // device SelectedIndex and SelectedInMonitor name, counting it as a request to the
    // monitored devices it reaches. `unicastFailText` is the box a failed unicast send shows.
    // A MAC text that cannot make a header is told of and nothing is sent or remembered.
    SetOutcome Send(const DeviceRecord& request, const QString& unicastFailText);

private:
    ProgramState& state_;
    UserPrompts& prompts_;
    ProtocolSockets& sockets_;
    MonitorListService& monitor_;
};

} // namespace fenwick
