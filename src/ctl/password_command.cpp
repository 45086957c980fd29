// password: the device's password changed, through the same checks and set request as the
// Password change dialog.
#include "core/config/password_change.h"
#include "ctl/command_steps.h"
#include "ctl/ctl_commands.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_session.h"
#include "ctl/ctl_texts.h"
#include "ctl/exit_codes.h"
#include "ctl/secret_input.h"

namespace fenwick::ctl {

int RunPassword(CtlSession& session, const CtlCommandLine& line) {
    const std::optional<std::vector<DeviceArgument>> devices = ReadDevices(line.devices);
    if (!devices) {
        return kExitUsage;
    }
    const QString& typed = line.devices.front();
    const std::optional<QString> original = CurrentPassword(line, typed);
    if (!original) {
        return kExitUsage;
    }
    const Secret fresh = ReadSecret({line.newPasswordFile, "FENWICK_NEW_PASSWORD",
                                     QString(texts::kNewPasswordPrompt).arg(typed), true},
                                    QString(texts::kNoNewPassword));
    if (!fresh.value) {
        Say(fresh.problem);
        return kExitUsage;
    }

    const FoundDevice found =
        StartAndFindDevice(session, devices->front(), typed, line.waitSeconds * 1000);
    if (!found.row) {
        return found.exitCode;
    }
    if (!ChooseForSetting(session, *found.row, typed, Setting::Password)) {
        return kExitDeviceFailed;
    }
    PasswordChange& change = session.Core().Password();
    return SetResult(session, change.ChangePassword(change.ChosenMacText(), *original, *fresh.value,
                                                    fresh.confirmation));
}

} // namespace fenwick::ctl
