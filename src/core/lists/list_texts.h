// What the monitor list and its files say to the operator, and the file dialogs' filter and
// proposed names. These texts are shown exactly as written here, odd spellings and trailing
// blanks included: operators' notes and scripts match on them. Do not correct them.
#pragma once

#include "core/support/support_texts.h"

namespace fenwick::texts {

inline constexpr QLatin1String kDuplicateIp("Duplicate ip ");
inline constexpr QLatin1String kCaptionAddFail("Add fail");
inline constexpr QLatin1String kMonitorListFull("out of 256 device in monitor list");
inline constexpr QLatin1String kConfirmDelete("Are you sure to delete this item ?");

inline constexpr QLatin1String kMonitorFileFilter("config File (*.cfg)");
inline constexpr QLatin1String kProposedSaveAsName("Default.cfg");
inline constexpr QLatin1String kProposedLoadName("monitor.cfg");
inline constexpr QLatin1String kConfigFileError("Config File Error");
inline constexpr QLatin1String kDuplicateIpInList("Duplicate ip in monitor list");
inline constexpr QLatin1String kDuplicateDeviceInList("Duplicate device in monitor list");
// %1 the file's path, %2 why.
inline constexpr QLatin1String kMonitorFileUnreadable("Monitor list file cannot be read: %1\n%2");
inline constexpr QLatin1String
    kMonitorFileUnwritable("Monitor list file cannot be written: %1\n%2");

// File > "Export lists...": the menu item, its dialog's filter and proposed name, the file's
// section titles (the lists' own names) and the words for the Monitor List's status images.
inline constexpr QLatin1String kExportListsMenu("Export lists...");
inline constexpr QLatin1String kListsFileFilter("CSV File (*.csv)");
inline constexpr QLatin1String kProposedListsName("fenwick-lists.csv");
inline constexpr QLatin1String kDiscoveryListTitle("Discovery List");
inline constexpr QLatin1String kMonitorListTitle("Monitor List");
inline constexpr QLatin1String kStatusAlive("alive");
inline constexpr QLatin1String kStatusNotAlive("not alive");
inline constexpr QLatin1String kStatusUnknown("unknown");
// %1 the file's path, %2 why.
inline constexpr QLatin1String kListsFileUnwritable("Lists file cannot be written: %1\n%2");

} // namespace fenwick::texts
