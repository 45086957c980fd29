// Searches of the two device tables. Each compares whole texts, byte by byte, over the first n
// records (n being the row count of the list that shows the table); the first match wins.
// The result is the match's index, or nothing; a new device then takes slot n, the first free
// one.
#pragma once

#include "device_record.h"

#include <optional>
#include <string_view>

namespace fenwick {

std::optional<int> FindDiscoveryByMac(const DeviceTable& table, int n, std::string_view macText);
std::optional<int> FindDiscoveryByIp(const DeviceTable& table, int n, std::string_view ipText);
std::optional<int> FindMonitorByIp(const DeviceTable& table, int n, std::string_view ipText);
// Records with an empty MAC text (devices added by address) never match.
std::optional<int> FindMonitorByMac(const DeviceTable& table, int n, std::string_view macText);

} // namespace fenwick
