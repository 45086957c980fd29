// What fenwickctl tells of a discovered device: the texts its Discovery List row shows, and
// whether its agent is in loader mode; as JSON objects or as a table.
#pragma once

#include "core/lists/device_columns.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace fenwick {
class ListViewModel;
struct DeviceRecord;
} // namespace fenwick

namespace fenwick::ctl {

struct DeviceReport {
    std::array<QString, kDiscoveryFields.size()> texts; // in the Discovery List's column order
    bool loaderMode = false;
    std::uint32_t ip = 0; // for the order; 0 when the text is not an address

    QString Text(DeviceField field) const;
};

// The report of Discovery List row `row`; `record` is the device behind it (null: unknown).
DeviceReport ReportOfRow(const ListViewModel& list, int row, const DeviceRecord* record);

// Sorted by IP address (then MAC text, for two devices that claim one address).
void SortByAddress(std::vector<DeviceReport>& reports);

// The keys: mac, ip, version, product, system_name, location, trap_ip, subnet_mask, gateway,
// loader_mode.
QJsonObject ReportJson(const DeviceReport& report);
QJsonArray ReportsJson(const std::vector<DeviceReport>& reports);
// A heading line with the Discovery List's headings and one line per device, in columns as
// wide as their longest text.
QString ReportTable(const std::vector<DeviceReport>& reports);

} // namespace fenwick::ctl
