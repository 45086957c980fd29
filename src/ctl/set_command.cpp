// set: the device's configuration with the values named changed and the others as they are,
// through the same checks and the same set request as the Configuration setting dialog.
#include "core/config/configuration_set.h"
#include "ctl/command_steps.h"
#include "ctl/ctl_commands.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_session.h"
#include "ctl/ctl_texts.h"
#include "ctl/exit_codes.h"

namespace fenwick::ctl {
namespace {

struct AddressOption {
    const char* name;
    const std::optional<QString>& text;
    std::uint32_t ConfigurationInput::*field;
};

} // namespace

int RunSet(CtlSession& session, const CtlCommandLine& line) {
    const std::optional<std::vector<DeviceArgument>> devices = ReadDevices(line.devices);
    if (!devices) {
        return kExitUsage;
    }
    // Read whole before anything is sent: a value that is not an address changes nothing.
    const AddressOption addressOptions[] = {
        {"--ip", line.ip, &ConfigurationInput::ipAddress},
        {"--mask", line.mask, &ConfigurationInput::subnetMask},
        {"--gateway", line.gateway, &ConfigurationInput::gateway},
        {"--trap-ip", line.trapIp, &ConfigurationInput::trapIp},
    };
    std::vector<std::pair<std::uint32_t ConfigurationInput::*, std::uint32_t>> addresses;
    for (const AddressOption& option : addressOptions) {
        if (!option.text) {
            continue;
        }
        const std::optional<std::uint32_t> address = ReadDottedAddress(option.text->toStdString());
        if (!address) {
            Say(QString(texts::kNotAnAddress).arg(QLatin1String(option.name), *option.text));
            return kExitUsage;
        }
        addresses.emplace_back(option.field, *address);
    }
    const std::optional<QString> password = CurrentPassword(line, line.devices.front());
    if (!password) {
        return kExitUsage;
    }

    const FoundDevice found = StartAndFindDevice(session, devices->front(), line.devices.front(),
                                                 line.waitSeconds * 1000);
    if (!found.row) {
        return found.exitCode;
    }
    if (!ChooseForSetting(session, *found.row, line.devices.front(), Setting::Configuration)) {
        return kExitDeviceFailed;
    }
    ConfigurationSet& configuration = session.Core().Configuration();
    ConfigurationInput input = configuration.Values();
    for (const auto& [field, address] : addresses) {
        input.*field = address;
    }
    if (line.name) {
        input.systemName = *line.name;
    }
    if (line.location) {
        input.location = *line.location;
    }
    input.password = *password;
    return SetResult(session, configuration.SetConfiguration(input));
}

} // namespace fenwick::ctl
