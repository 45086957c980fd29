// What fenwickctl says on standard error besides the core's own boxes, and the names it
// gives results.
#pragma once

#include <QLatin1String>

namespace fenwick::ctl::texts {

// %1 and %2 the two UDP ports of the definition file.
inline constexpr QLatin1String kPortsInUse(
    "the UDP ports %1 and %2 cannot be used; fenwick may be running (close it and try again)");
inline constexpr QLatin1String
    kNoInterface("the discovery could not be sent: no usable network interface");
// %1 the DEVICE as typed.
inline constexpr QLatin1String
    kNotADevice("%1 is neither a MAC address (12 hexadecimal digits) nor a dotted IPv4 address");
inline constexpr QLatin1String kDidNotAnswer("%1 did not answer the discovery");
inline constexpr QLatin1String kNotAnAddress("%1 %2 is not a dotted IPv4 address");
// The window refuses such a device without a word; a script is told.
inline constexpr QLatin1String
    kInterfaceZero("%1 cannot be configured: its agent's interface version is 0");
inline constexpr QLatin1String kNoSetReply("no answer to the set request within %1 seconds");
inline constexpr QLatin1String kEmptyMonitorList(
    "the monitor list is empty: traps are taken only from the devices of the monitor list");
inline constexpr QLatin1String kWatching("receiving traps from %1 devices; Ctrl+C ends");
inline constexpr QLatin1String kSecretUnreadable("%1 cannot be read: %2");
inline constexpr QLatin1String kNoPassword(
    "no password: give --password-file FILE or FENWICK_PASSWORD (or run on a terminal)");
inline constexpr QLatin1String kNoNewPassword(
    "no new password: give --new-password-file FILE or FENWICK_NEW_PASSWORD (or run on a "
    "terminal)");
inline constexpr QLatin1String kPasswordPrompt("Password for %1: ");
inline constexpr QLatin1String kNewPasswordPrompt("New password for %1: ");
inline constexpr QLatin1String kNewPasswordAgainPrompt("New password again: ");
inline constexpr QLatin1String kImageUnreadable("the image %1 cannot be read: %2");
inline constexpr QLatin1String kStoppedAfterFailure("stopped after the first failure");
inline constexpr QLatin1String kInterrupted("interrupted");
inline constexpr QLatin1String kUpgradeTriggerFailed("the device did not acknowledge the trigger");
inline constexpr QLatin1String kUpgradeNotConfirmed("the device did not come back");
inline constexpr QLatin1String kUpgradeEndedShort("the upgrade ended before its confirmation");

// The results of an upgrade, as the summary and its JSON name them.
inline constexpr QLatin1String kResultOk("ok");
inline constexpr QLatin1String kResultFailed("failed");
inline constexpr QLatin1String kResultSkipped("skipped");

} // namespace fenwick::ctl::texts
