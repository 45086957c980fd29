// Steps the commands share: the device a DEVICE names, found by one discovery and chosen as the
// operator's click would; and the wait for a device's answer to a set request.
#pragma once

#include "core/config/set_request.h"
#include "ctl/ctl_command_line.h"
#include "ctl/device_argument.h"

#include <QString>
#include <optional>
#include <vector>

namespace fenwick::ctl {

class CtlSession;

// The DEVICE texts read, each checked; nothing after saying which one is wrong.
std::optional<std::vector<DeviceArgument>> ReadDevices(const QStringList& texts);

// A device found, or the exit status that ends the command.
struct FoundDevice {
    std::optional<int> row; // in the Discovery List
    int exitCode = 0;
};

// The session started and one discovery with its answers of `waitMilliseconds`: kExitDone, or
// the exit status that ends the command (said why).
int StartAndDiscover(CtlSession& session, int waitMilliseconds);

// The session started, one discovery, then the Discovery List row of `device` (`typed` names
// it to the operator).
FoundDevice StartAndFindDevice(CtlSession& session, const DeviceArgument& device,
                               const QString& typed, int waitMilliseconds);

// The device's current password, from --password-file, FENWICK_PASSWORD or the terminal;
// nothing after saying why there is none. `devices` names them in the terminal's question.
std::optional<QString> CurrentPassword(const CtlCommandLine& line, const QString& devices);

// Chooses the device of `row` for a configuration or password command, as the operator's
// click and button would; false after saying why it cannot take one.
enum class Setting { Configuration, Password };
bool ChooseForSetting(CtlSession& session, int row, const QString& typed, Setting setting);

// What became of a set request: kExitUsage after a failed check (nothing sent), and once it
// went out, kExitDone when the device confirms it within the wait, kExitDeviceFailed on its
// error reply (whose text has been said), on silence, or when it could not be sent.
int SetResult(CtlSession& session, SetOutcome outcome);

// How long a device is given to answer a set request.
inline constexpr int kSetAnswerMilliseconds = 5000;

} // namespace fenwick::ctl
