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
    const Secret original = ReadSecret(
        {line.passwordFile, "FENWICK_PASSWORD", QString(texts::kPasswordPrompt).arg(typed), false},
        QString(texts::kNoPassword));
    if (!original.value) {
        Say(original.problem);
        return kExitUsage;
    }
    const Secret fresh = ReadSecret({line.newPasswordFile, "FENWICK_NEW_PASSWORD",
                                     QString(texts::kNewPasswordPrompt).arg(typed), true},
                                    QString(texts::kNoNewPassword));
    if (!fresh.value) {
        Say(fresh.problem);
        return kExitUsage;
    }

    if (const int started = session.Start(); started != kExitDone) {
        return started;
    }
    const FoundDevice found =
        DiscoverDevice(session, devices->front(), typed, line.waitSeconds * 1000);
    if (!found.row) {
        return found.exitCode;
    }
    if (!ChooseForSetting(session, *found.row, typed, Setting::Password)) {
        return kExitDeviceFailed;
    }
    PasswordChange& change = session.Core().Password();
    switch (change.ChangePassword(change.ChosenMacText(), *original.value, *fresh.value,
                                  fresh.confirmation)) {
    case SetOutcome::CheckFailed:
        return kExitUsage;
    case SetOutcome::SendFailed:
        return kExitDeviceFailed;
    case SetOutcome::Sent:
        break;
    }
    return AwaitSetAnswer(session);
}

} // namespace fenwick::ctl
