#include "configuration_set.h"

#include "codec/validation.h"
#include "core/config/config_texts.h"
#include "core/config/device_selection.h"
#include "core/support/latin1.h"

namespace fenwick {
namespace {

constexpr qsizetype kMaxNameLength = 20; // SystemName, Location and Password

} // namespace

ConfigurationSet::ConfigurationSet(ProgramState& state, UserPrompts& prompts,
                                   DeviceSelection& selection, SetRequest& request)
    : state_(state), prompts_(prompts), selection_(selection), request_(request) {}

ConfigurationInput ConfigurationSet::Values() const {
    const DeviceRecord& record = selection_.Chosen();
    ConfigurationInput input;
    input.productName = Latin1(FieldText(record.ProductName));
    input.macText = Latin1(FieldText(record.MacText));
    input.ipAddress = record.IpAddress;
    input.subnetMask = record.SubnetMask;
    input.gateway = record.Gateway;
    input.trapIp = record.TrapIp;
    input.systemName = Latin1(FieldText(record.SystemName));
    input.location = Latin1(FieldText(record.Location));
    return input;
}

SetOutcome ConfigurationSet::SetConfiguration(const ConfigurationInput& input) {
    if (!selection_.FindChosenAgain(TextView(input.macText.toLatin1()))) {
        return SetOutcome::CheckFailed;
    }
    DeviceRecord record = ZeroRecord();
    if (!Check(input, record)) {
        return SetOutcome::CheckFailed;
    }
    return request_.Send(record, texts::kUnicastSetSendError);
}

bool ConfigurationSet::Check(const ConfigurationInput& input, DeviceRecord& record) {
    // Texts travel as 8-bit characters; lengths are counted in them.
    const std::optional<QByteArray> systemNameBytes = ExactLatin1(input.systemName);
    const std::optional<QByteArray> locationBytes = ExactLatin1(input.location);
    const std::optional<QByteArray> passwordBytes = ExactLatin1(input.password);
    if (!systemNameBytes || !locationBytes || !passwordBytes) {
        ShowError(texts::kNotLatin1, texts::kCaptionError);
        return false;
    }
    const QByteArray& systemName = *systemNameBytes;
    const QByteArray& location = *locationBytes;
    const QByteArray& password = *passwordBytes;
    // Shown from the device's own 8-bit text, and read-only.
    SetFieldText(record.ProductName, input.productName.toLatin1().toStdString());
    if (systemName.size() > kMaxNameLength) {
        ShowError(texts::kSystemNameLength, texts::kCaptionError);
        return false;
    }
    SetFieldText(record.SystemName, systemName.toStdString());
    if (location.size() > kMaxNameLength) {
        ShowError(texts::kLocationLength, texts::kCaptionError);
        return false;
    }
    SetFieldText(record.Location, location.toStdString());
    if (password.isEmpty() || password.size() > kMaxNameLength) {
        ShowError(texts::kPasswordLengths, texts::kCaptionError);
        return false;
    }
    SetFieldText(record.Password, password.toStdString());
    SetFieldText(record.MacText, input.macText.toLatin1().left(12).toStdString());
    record.IpAddress = input.ipAddress;
    if (record.IpAddress == 0) {
        ShowError(texts::kIllegalIp, texts::kCaptionError);
        return false;
    }
    if (IsDuplicate(record.IpAddress)) {
        ShowError(texts::kIpExists, texts::kCaptionSettingFail);
        return false;
    }
    record.SubnetMask = input.subnetMask;
    record.Gateway = input.gateway;
    if (!CheckHostPart(record.IpAddress, record.SubnetMask)) {
        ShowError(texts::kSubnetMaskIllegal, texts::kCaptionError);
        return false;
    }
    if (!CheckGateway(record.IpAddress, record.Gateway, record.SubnetMask)) {
        ShowError(texts::kGatewayNotInNet, texts::kCaptionError);
        return false;
    }
    record.TrapIp = input.trapIp;
    return true;
}

bool ConfigurationSet::IsDuplicate(std::uint32_t address) const {
    const SelectionState& chosen = state_.Selection;
    const auto inTable = [address](const DeviceTable& table, int count, int skip) {
        for (int index = 0; index < count && index < static_cast<int>(table.size()); ++index) {
            if (index != skip && table[static_cast<std::size_t>(index)].IpAddress == address) {
                return true;
            }
        }
        return false;
    };
    if (chosen.SelectedInMonitor != kChosenInMonitor) {
        // A discovered device is compared with the monitored ones only.
        return inTable(state_.MonitorTable, chosen.MonitorCount, -1);
    }
    return inTable(state_.MonitorTable, chosen.MonitorCount, chosen.SelectedIndex) ||
           inTable(state_.DiscoveryTable, chosen.DiscoveryCount, -1);
}

void ConfigurationSet::ShowError(const QString& text, const QString& caption) {
    prompts_.MessageBox(text, caption, UserPrompts::Icon::Error);
}

} // namespace fenwick
