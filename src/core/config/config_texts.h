// What device configuration (the settings and password dialogs, remote addition and web access)
// says to the operator. These texts are shown exactly as written here, odd spellings, line
// breaks and leading or trailing blanks included: operators' notes and scripts match on them.
// Do not correct them.
#pragma once

#include "core/support/support_texts.h"

namespace fenwick::texts {

// Choosing the device.
inline constexpr QLatin1String
    kLoaderModeDiscovery("Agent is in loader mode, it can't set \n it needs firmware upgrade");
inline constexpr QLatin1String kLoaderModeMonitor("Agent is in loader mode, it can't set");
inline constexpr QLatin1String kOnlyOneDevice("Only one device can be selected");
inline constexpr QLatin1String kSelectOneDevice("Please select one device");
inline constexpr QLatin1String kProtocolNotSupported("agent protocol version not support");
inline constexpr QLatin1String kInterfaceNotSupported("agent interface version not support");
// "Set" in a dialog whose device has left its list meanwhile; %1 its MAC address.
inline constexpr QLatin1String
    kDeviceNoLongerListed("The device %1 is no longer listed; nothing was sent.");
// A name, location or password holding a character that one byte cannot carry.
inline constexpr QLatin1String
    kNotLatin1("Names, locations and passwords may hold only Latin-1 characters; nothing was "
               "sent.");

// "Configuration setting".
inline constexpr QLatin1String kSystemNameLength("System name lengths between 0-20");
inline constexpr QLatin1String kLocationLength("Location lengths between 0-20");
inline constexpr QLatin1String kPasswordLengths("Password lengths between 1-20");
inline constexpr QLatin1String kIllegalIp("Illegal ip address");
inline constexpr QLatin1String kIpExists("The setting IP have already existed ");
inline constexpr QLatin1String kCaptionSettingFail("Setting fail");
inline constexpr QLatin1String kSubnetMaskIllegal("Subnet mask is illegal");
inline constexpr QLatin1String kGatewayNotInNet("Gateway and ip address are not in the same net ");
inline constexpr QLatin1String kUnicastSetSendError("Unicast set send error");
inline constexpr QLatin1String kUdpSetSendError("UDP set send error");
// A record whose MAC text cannot address a request; %1 the text.
inline constexpr QLatin1String kMacNotValid("The device's MAC address %1 is not valid");

// Password change.
inline constexpr QLatin1String kPasswordLength("Password length between 1-20  ");
inline constexpr QLatin1String kConfirmPasswordFail("Confirm password fail");
inline constexpr QLatin1String kUnicastSetSendErrorLower("unicast set send error");

// "Remote IP".
inline constexpr QLatin1String kIpIllegal("IP address is illegal");
inline constexpr QLatin1String kCaptionBlankError(" Error");
inline constexpr QLatin1String
    kDuplicateInEitherList("Duplicate IP in monitor list or discovery list");

// Web access.
inline constexpr QLatin1String
    kOnlyMonitorWeb("Only the devices in the monitor list can entry the web");
inline constexpr QLatin1String kSelectOneInMonitor("Please select one device in the monitor list");
inline constexpr QLatin1String kBrowserWebFail("Browser web fail");

} // namespace fenwick::texts
