// What the firmware transfer says to the operator, in boxes and in the Upgrade State field.
// These texts are shown exactly as written here, misspellings included ("Creat", "tftps",
// "translate"): operators' notes and scripts match on them. Do not correct them.
#pragma once

#include "core/app/app_texts.h"

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
inline constexpr QLatin1String kUpgradeTriggerSendError("Upgrade trigger send error");
inline constexpr QLatin1String kTriggerFail("Trigger fail");

inline constexpr QLatin1String kCreatTftpSocketError("Creat tftp socket error");
inline constexpr QLatin1String kBindTftpsSocketError("Bind tftps socket error");
inline constexpr QLatin1String kWriteRequestSendError("Write request send error");
inline constexpr QLatin1String kOpenFirmwareFileError("Open firmware file error");
inline constexpr QLatin1String kUpgradeFailSend("Upgrade fail!!!!");

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

} // namespace fenwick::texts
