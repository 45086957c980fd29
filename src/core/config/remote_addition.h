// "Add item": a device added to the monitor list by its IP address alone, such as one that a
// broadcast does not reach. It is polled from the next pass on and filled by its first answer.
#pragma once

#include "core/lists/main_lists.h"
#include "core/ports/user_prompts.h"
#include "core/state/program_state.h"

#include <cstdint>

namespace fenwick {

class MonitorListService;

// The AgentKey of every entry added by address, until the device's first answer replaces it.
inline constexpr std::uint32_t kRemoteAgentKey = 0x3C6E2A91;

class RemoteAddition {
public:
    RemoteAddition(ProgramState& state, UserPrompts& prompts, MainLists lists,
                   MonitorListService& monitor);

    // The button: captures MonitorCount; false, after telling the operator, when the list is
    // full and the dialog must not open.
    [[nodiscard]] bool BeginAddItem();

    // The dialog's "Apply": false, after telling the operator, when the address is unusable
    // (the dialog stays open); otherwise writes the new entry at MonitorCount.
    [[nodiscard]] bool ApplyRemoteIp(std::uint32_t address);

    // After "Apply" closed the dialog: shows the new entry, or removes it again when either
    // list holds its address.
    void FinishAddItem();

private:
    void ShowError(const QString& text, const QString& caption);

    ProgramState& state_;
    UserPrompts& prompts_;
    MainLists lists_;
    MonitorListService& monitor_;
};

} // namespace fenwick
