// "Firmware upgrade" on the main window: the one device to upgrade, and the checks made before
// its upgrade window opens.
#pragma once

#include "core/lists/main_lists.h"
#include "core/ports/local_addresses.h"
#include "core/ports/user_prompts.h"
#include "core/state/program_state.h"

namespace fenwick {

class DeviceSelection;
class UpgradeConfirmation;

// LaunchUpgrade's results.
enum class LaunchOutcome {
    Launched,    // the target is set; the upgrade window may open
    DuplicateIp, // told "Duplicate IP"
    Refused,     // told another reason
};

class UpgradeLaunch {
public:
    UpgradeLaunch(ProgramState& state, UserPrompts& prompts, const LocalAddresses& addresses,
                  DeviceSelection& selection, MainLists lists,
                  const UpgradeConfirmation& confirmation);

    // The button procedure: refused while the last upgrade is being confirmed; otherwise
    // chooses the selected device (interface version 0 and loader mode included) and launches
    // its upgrade; true when the upgrade window may open.
    [[nodiscard]] bool ChooseForUpgrade();

    // For the device SelectedIndex and SelectedInMonitor name: refuses an address shared
    // within the list it was chosen in, and a device in none of the manager's subnets; then
    // makes it the upgrade's target.
    LaunchOutcome LaunchUpgrade();

private:
    bool InManagerSubnet(std::uint32_t device) const;
    void ShowError(const QString& text);

    ProgramState& state_;
    UserPrompts& prompts_;
    const LocalAddresses& addresses_;
    DeviceSelection& selection_;
    MainLists lists_;
    const UpgradeConfirmation& confirmation_;
};

} // namespace fenwick
