// What the firmware transfer says to the operator, in boxes and in the Upgrade State field.
// These texts are shown exactly as written here, misspellings included ("Creat", "tftps",
// "translate"): operators' notes and scripts match on them. Do not correct them.
#pragma once

#include "core/support/support_texts.h"

namespace fenwick::texts {

// "Firmware upgrade" on the main window.
inline constexpr QLatin1String kUpgradeDuplicateIp("Duplicate IP");
inline constexpr QLatin1String
    kNotSameSubnet("The device IP and manager IP are not in the same subnet");

// "Browse" in the upgrade window: the file dialog's filter and proposed name.
inline constexpr QLatin1String kHexFileFilter("hex File (*.hex)");
inline constexpr QLatin1String kHexFileName("*.hex");

// "Start" in the upgrade window; the password's box is the configuration's.
inline constexpr QLatin1String kWait("Wait....");
inline constexpr QLatin1String kFirmwareFileNotFound("Firmware file not found");
// %1 the longest path the upgrade can name in its write request, in bytes.
inline constexpr QLatin1String
    kFirmwarePathTooLong("The firmware path is too long; it may have at most %1 bytes");
// The image is refused at "Start" unless it is a regular file with 1 to %1 bytes (16-bit block
// numbers would otherwise wrap and send the image again from its first byte).
inline constexpr QLatin1String kFirmwareNotRegularFile("The firmware path is not a regular file");
inline constexpr QLatin1String kFirmwareFileEmpty("The firmware file is empty");
inline constexpr QLatin1String
    kFirmwareFileTooLarge("The firmware file is too large; it may have at most %1 bytes");
inline constexpr QLatin1String kUpgradeTriggerSendError("Upgrade trigger send error");
inline constexpr QLatin1String kTriggerFail("Trigger fail");

inline constexpr QLatin1String kCreatTftpSocketError("Creat tftp socket error");
inline constexpr QLatin1String kBindTftpsSocketError("Bind tftps socket error");
inline constexpr QLatin1String kWriteRequestSendError("Write request send error");
inline constexpr QLatin1String kOpenFirmwareFileError("Open firmware file error");
inline constexpr QLatin1String kUpgradeFailSend("Upgrade fail!!!!");
// The image file changed while it was being sent: the transfer stops there.
inline constexpr QLatin1String
    kFirmwareFileResized("The firmware file changed size during the upgrade; nothing more is sent");
inline constexpr QLatin1String kFirmwareFileModified(
    "The firmware file was rewritten during the upgrade; nothing more is sent");

// Upgrade State; %1 the bytes sent, %2 the file's size.
inline constexpr QLatin1String kUpgradeProgress("Upgrade...%1/%2 bytes");
inline constexpr QLatin1String kUpgradeComplete("Complete...%1/%2 bytes");
inline constexpr QLatin1String kUpgradeFailTranslate("Upgrade fail, translate %1/%2 bytes");
inline constexpr QLatin1String kDeviceNotFound("Device not found");
inline constexpr QLatin1String kUpgradeStateCleared(" ");

// A device's error packet: its text, then this notice, in a box with this caption.
inline constexpr QLatin1String
    kRebootNotice("\nThe device will reboot, please wait for a few seconds");
inline constexpr QLatin1String kCaptionUpgradeFail("upgrade fail");

// The confirmation that the device came back.
inline constexpr QLatin1String kUpgradeSuccessful("Upgrade successful");
inline constexpr QLatin1String kUpgradeFail("Upgrade fail");
inline constexpr QLatin1String kCaptionUpgradeResult("information");
// "Firmware upgrade" while the last upgrade still waits for its device to come back.
inline constexpr QLatin1String kUpgradeBeingConfirmed(
    "The last upgrade is still being confirmed; wait for its result before starting another");

} // namespace fenwick::texts
