// Choosing the one device a configuration, password or upgrade command acts on: what is
// selected in the two lists, and whether the chosen device's agent can take the command.
#pragma once

#include "core/lists/main_lists.h"
#include "core/ports/user_prompts.h"
#include "core/state/program_state.h"

#include <optional>
#include <string_view>

namespace fenwick {

// ClassifySelection's results.
enum class SelectionKind {
    SeveralSelected = 1, // more than one row in either list
    NoneSelected = 2,
    OneInDiscovery = 3, // wins when each list has one selected row
    OneInMonitor = 4,
};

// CheckAgent's results.
enum class AgentVerdict {
    Usable = 0,
    ProtocolNotSupported = 5,
    InterfaceNotSupported = 6,
    InterfaceZero = 7, // refused without a word
};

// What the chosen device is for: the upgrade also takes agents of interface version 0 and
// agents in loader mode, which it is there to mend.
enum class DeviceCommand { Configuration, Upgrade };

struct AgentCheck {
    AgentVerdict verdict;
    int index; // into the DiscoveryTable or the MonitorTable
};

class DeviceSelection {
public:
    DeviceSelection(ProgramState& state, UserPrompts& prompts, MainLists lists);

    SelectionKind ClassifySelection() const;

    // Judges the device of the first selected row of the Monitor List (`fromMonitor`) or of
    // the Discovery List; nothing when no row is selected or its entry is not in the table.
    std::optional<AgentCheck> CheckAgent(bool fromMonitor) const;

    // The button procedure of "Configuration setting", "Password change" and "Firmware
    // upgrade": writes SelectedIndex and SelectedInMonitor and returns true when the command
    // may go on; otherwise the operator has been told why (or, for interface version 0 under
    // a configuration command, nothing is said).
    [[nodiscard]] bool ChooseDevice(DeviceCommand command = DeviceCommand::Configuration);

    // The record of the chosen device.
    const DeviceRecord& Chosen() const;

    // A dialog stays open while the lists change under it (a discovery refills its list, a
    // device is deleted), so SelectedIndex may by then name another device. Finds the device
    // with `macText` again in the list it was chosen from and makes it SelectedIndex; false,
    // after telling the operator, when that list no longer holds it.
    [[nodiscard]] bool FindChosenAgain(std::string_view macText);

private:
    // SelectedIndex is written from here on, even when the device turns out unusable.
    [[nodiscard]] bool Choose(bool fromMonitor, DeviceCommand command);
    void ShowError(const QString& text);

    ProgramState& state_;
    UserPrompts& prompts_;
    MainLists lists_;
};

} // namespace fenwick
