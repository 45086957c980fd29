// What the firmware transfer says to the operator, in boxes and in the Upgrade State field.
// These texts are shown exactly as written here, misspellings included ("Creat", "tftps",
// "translate"): operators' notes and scripts match on them. Do not correct them.
#pragma once

#include "core/app/app_texts.h"

namespace fenwick::texts {

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

} // namespace fenwick::texts
