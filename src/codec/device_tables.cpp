#include "device_tables.h"

namespace fenwick {
namespace {

enum class SkipEmpty { No, Yes };

template <std::size_t N>
int FindRecord(const DeviceTable& table, int n, char const (DeviceRecord::*field)[N],
               std::string_view text, SkipEmpty skipEmpty, bool& found) {
    // A row count beyond the table can only come from a fault elsewhere; never search past it.
    const int count =
        n < 0 ? 0 : (n > static_cast<int>(table.size()) ? static_cast<int>(table.size()) : n);
    for (int i = 0; i < count; ++i) {
        const std::string_view candidate = FieldText(table[i].*field);
        if (skipEmpty == SkipEmpty::Yes && candidate.empty()) {
            continue;
        }
        if (candidate == text) {
            found = true;
            return i;
        }
    }
    found = false;
    return count;
}

} // namespace

int FindDiscoveryByMac(const DeviceTable& table, int n, std::string_view macText, bool& found) {
    return FindRecord(table, n, &DeviceRecord::MacText, macText, SkipEmpty::No, found);
}

int FindDiscoveryByIp(const DeviceTable& table, int n, std::string_view ipText, bool& found) {
    return FindRecord(table, n, &DeviceRecord::IpText, ipText, SkipEmpty::No, found);
}

int FindMonitorByIp(const DeviceTable& table, int n, std::string_view ipText, bool& found) {
    return FindRecord(table, n, &DeviceRecord::IpText, ipText, SkipEmpty::No, found);
}

int FindMonitorByMac(const DeviceTable& table, int n, std::string_view macText, bool& found) {
    return FindRecord(table, n, &DeviceRecord::MacText, macText, SkipEmpty::Yes, found);
}

} // namespace fenwick
