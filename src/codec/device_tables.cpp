#include "device_tables.h"

namespace fenwick {
namespace {

enum class SkipEmpty { No, Yes };

template <std::size_t N>
std::optional<int> FindRecord(const DeviceTable& table, int n, char const (DeviceRecord::*field)[N],
                              std::string_view text, SkipEmpty skipEmpty) {
    // A row count beyond the table can only come from a fault elsewhere; never search past it.
    const int count =
        n < 0 ? 0 : (n > static_cast<int>(table.size()) ? static_cast<int>(table.size()) : n);
    for (int i = 0; i < count; ++i) {
        const std::string_view candidate = FieldText(table[i].*field);
        if (skipEmpty == SkipEmpty::Yes && candidate.empty()) {
            continue;
        }
        if (candidate == text) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<int> FindDiscoveryByMac(const DeviceTable& table, int n, std::string_view macText) {
    return FindRecord(table, n, &DeviceRecord::MacText, macText, SkipEmpty::No);
}

std::optional<int> FindDiscoveryByIp(const DeviceTable& table, int n, std::string_view ipText) {
    return FindRecord(table, n, &DeviceRecord::IpText, ipText, SkipEmpty::No);
}

std::optional<int> FindMonitorByIp(const DeviceTable& table, int n, std::string_view ipText) {
    return FindRecord(table, n, &DeviceRecord::IpText, ipText, SkipEmpty::No);
}

std::optional<int> FindMonitorByMac(const DeviceTable& table, int n, std::string_view macText) {
    return FindRecord(table, n, &DeviceRecord::MacText, macText, SkipEmpty::Yes);
}

} // namespace fenwick
