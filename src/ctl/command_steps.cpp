#include "command_steps.h"

#include "core/protocol/protocol_texts.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_session.h"
#include "ctl/ctl_texts.h"
#include "ctl/exit_codes.h"
#include "ctl/secret_input.h"

namespace fenwick::ctl {

std::optional<std::vector<DeviceArgument>> ReadDevices(const QStringList& texts) {
    std::vector<DeviceArgument> devices;
    for (const QString& text : texts) {
        const std::optional<DeviceArgument> device = ReadDeviceArgument(text.toStdString());
        if (!device) {
            Say(QString(texts::kNotADevice).arg(text));
            return std::nullopt;
        }
        devices.push_back(*device);
    }
    return devices;
}

int StartAndDiscover(CtlSession& session, int waitMilliseconds) {
    if (const int started = session.Start(); started != kExitDone) {
        return started;
    }
    return session.Discover(waitMilliseconds);
}

FoundDevice StartAndFindDevice(CtlSession& session, const DeviceArgument& device,
                               const QString& typed, int waitMilliseconds) {
    if (const int discovered = StartAndDiscover(session, waitMilliseconds);
        discovered != kExitDone) {
        return {std::nullopt, discovered};
    }
    const std::optional<int> row = session.FindDiscovered(device);
    if (!row) {
        Say(QString(texts::kDidNotAnswer).arg(typed));
        return {std::nullopt, kExitDeviceFailed};
    }
    return {row, kExitDone};
}

bool ChooseForSetting(CtlSession& session, int row, const QString& typed, Setting setting) {
    session.SelectDiscovered(row);
    const std::size_t boxes = session.Prompts().Boxes().size();
    const bool chosen = setting == Setting::Password ? session.Core().ChooseForPasswordChange()
                                                     : session.Core().ChooseForConfiguration();
    if (!chosen && session.Prompts().Boxes().size() == boxes) {
        Say(QString(texts::kInterfaceZero).arg(typed));
    }
    return chosen;
}

std::optional<QString> CurrentPassword(const CtlCommandLine& line, const QString& devices) {
    const Secret password = ReadSecret({line.passwordFile, "FENWICK_PASSWORD",
                                        QString(texts::kPasswordPrompt).arg(devices), false},
                                       QString(texts::kNoPassword));
    if (!password.value) {
        Say(password.problem);
    }
    return password.value;
}

int SetResult(CtlSession& session, SetOutcome outcome) {
    switch (outcome) {
    case SetOutcome::CheckFailed:
        return kExitUsage;
    case SetOutcome::SendFailed:
        return kExitDeviceFailed;
    case SetOutcome::Sent:
        break;
    }
    int result = kExitDeviceFailed;
    session.LookAtBoxes([&session, &result](const ScriptPrompts::Box& box) {
        if (box.text == fenwick::texts::kSetSuccessful) {
            result = kExitDone;
            session.Finish();
        } else if (box.icon == UserPrompts::Icon::Error) {
            session.Finish(); // the device's error text has been said
        }
    });
    const bool answered = session.RunUntilFinished(kSetAnswerMilliseconds);
    session.LookAtBoxes({});
    if (!answered) {
        Say(QString(texts::kNoSetReply).arg(kSetAnswerMilliseconds / 1000));
    }
    return result;
}

} // namespace fenwick::ctl
