#include "upgrade_launch.h"

#include "codec/validation.h"
#include "core/config/device_selection.h"
#include "core/firmware/firmware_texts.h"
#include "core/firmware/upgrade_confirmation.h"
#include "core/support/support_texts.h"

#include <algorithm>

namespace fenwick {

UpgradeLaunch::UpgradeLaunch(ProgramState& state, UserPrompts& prompts,
                             const LocalAddresses& addresses, DeviceSelection& selection,
                             MainLists lists, const UpgradeConfirmation& confirmation)
    : state_(state), prompts_(prompts), addresses_(addresses), selection_(selection), lists_(lists),
      confirmation_(confirmation) {}

bool UpgradeLaunch::ChooseForUpgrade() {
    if (confirmation_.Pending()) {
        prompts_.MessageBox(texts::kUpgradeBeingConfirmed, texts::kCaptionError,
                            UserPrompts::Icon::Warning);
        return false;
    }
    return selection_.ChooseDevice(DeviceCommand::Upgrade) &&
           LaunchUpgrade() == LaunchOutcome::Launched;
}

LaunchOutcome UpgradeLaunch::LaunchUpgrade() {
    const bool inMonitor = state_.Selection.SelectedInMonitor == kChosenInMonitor;
    const DeviceTable& table = inMonitor ? state_.MonitorTable : state_.DiscoveryTable;
    const int rows = inMonitor ? lists_.monitor.RowCount() : lists_.discovery.RowCount();
    const DeviceRecord& device = selection_.Chosen();

    const auto shown = table.begin() + std::clamp(rows, 0, static_cast<int>(table.size()));
    const auto sharing = std::count_if(table.begin(), shown, [&device](const DeviceRecord& record) {
        return record.IpAddress == device.IpAddress;
    });
    if (sharing >= 2) {
        ShowError(texts::kUpgradeDuplicateIp);
        return LaunchOutcome::DuplicateIp;
    }
    if (!InManagerSubnet(device.IpAddress)) {
        ShowError(texts::kNotSameSubnet);
        return LaunchOutcome::Refused;
    }
    SetFieldText(state_.Reply.UpgradeTargetMac, FieldText(device.MacText));
    state_.Upgrade.UpgradeTargetIp = device.IpAddress;
    state_.Upgrade.UpgradeTargetInMonitor = inMonitor;
    return LaunchOutcome::Launched;
}

bool UpgradeLaunch::InManagerSubnet(std::uint32_t device) const {
    const std::vector<InterfaceAddress> local = addresses_.List();
    return std::any_of(local.begin(), local.end(), [device](const InterfaceAddress& own) {
        return CheckSameSubnet(device, own.address, own.mask);
    });
}

void UpgradeLaunch::ShowError(const QString& text) {
    prompts_.MessageBox(text, texts::kCaptionError, UserPrompts::Icon::Error);
}

} // namespace fenwick
