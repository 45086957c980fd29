// Searches of the two device tables. Each compares whole texts, byte by byte, over the first n
// records (n being the row count of the list that shows the table); the first match wins.
// The result is the match's index with `found` set, or n (the first free slot) with `found`
// cleared.
#pragma once

#include "device_record.h"

#include <string_view>

namespace fenwick {

int FindDiscoveryByMac(const DeviceTable& table, int n, std::string_view macText, bool& found);
int FindDiscoveryByIp(const DeviceTable& table, int n, std::string_view ipText, bool& found);
int FindMonitorByIp(const DeviceTable& table, int n, std::string_view ipText, bool& found);
// Records with an empty MAC text (devices added by address) never match.
int FindMonitorByMac(const DeviceTable& table, int n, std::string_view macText, bool& found);

} // namespace fenwick
