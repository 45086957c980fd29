#include "device_report.h"

#include "codec/device_record.h"
#include "core/lists/list_texts.h"
#include "core/lists/list_view_model.h"
#include "ctl/device_argument.h"

#include <algorithm>

namespace fenwick::ctl {
namespace {

struct FieldKey {
    DeviceField field;
    const char* key;
    QLatin1String heading;
};

// The Discovery List's columns, in its order.
constexpr std::array<FieldKey, kDiscoveryFields.size()> kKeys = {{
    {DeviceField::Mac, "mac", fenwick::texts::kHeadingMac},
    {DeviceField::Ip, "ip", fenwick::texts::kHeadingIp},
    {DeviceField::Version, "version", fenwick::texts::kHeadingVersion},
    {DeviceField::Product, "product", fenwick::texts::kHeadingProduct},
    {DeviceField::SystemName, "system_name", fenwick::texts::kHeadingSystemName},
    {DeviceField::Location, "location", fenwick::texts::kHeadingLocation},
    {DeviceField::TrapIp, "trap_ip", fenwick::texts::kHeadingTrapIp},
    {DeviceField::Mask, "subnet_mask", fenwick::texts::kHeadingMask},
    {DeviceField::Gateway, "gateway", fenwick::texts::kHeadingGateway},
}};

constexpr bool KeysFollowTheColumns() {
    for (std::size_t column = 0; column < kKeys.size(); ++column) {
        if (kKeys[column].field != kDiscoveryFields[column]) {
            return false;
        }
    }
    return true;
}
static_assert(KeysFollowTheColumns());

} // namespace

QString DeviceReport::Text(DeviceField field) const {
    const int column = ColumnOf(kDiscoveryFields, field);
    return column < 0 ? QString() : texts[static_cast<std::size_t>(column)];
}

DeviceReport ReportOfRow(const ListViewModel& list, int row, const DeviceRecord* record) {
    DeviceReport report;
    for (std::size_t column = 0; column < kKeys.size(); ++column) {
        report.texts[column] = list.Text(row, static_cast<int>(column));
    }
    report.loaderMode = record != nullptr && record->AgentState == kAgentStateLoader;
    report.ip = ReadDottedAddress(report.Text(DeviceField::Ip).toStdString()).value_or(0);
    return report;
}

void SortByAddress(std::vector<DeviceReport>& reports) {
    std::stable_sort(reports.begin(), reports.end(),
                     [](const DeviceReport& a, const DeviceReport& b) {
                         if (a.ip != b.ip) {
                             return a.ip < b.ip;
                         }
                         return a.Text(DeviceField::Mac) < b.Text(DeviceField::Mac);
                     });
}

QJsonObject ReportJson(const DeviceReport& report) {
    QJsonObject object;
    for (std::size_t column = 0; column < kKeys.size(); ++column) {
        object.insert(QLatin1String(kKeys[column].key), report.texts[column]);
    }
    object.insert(QLatin1String("loader_mode"), report.loaderMode);
    return object;
}

QJsonArray ReportsJson(const std::vector<DeviceReport>& reports) {
    QJsonArray array;
    for (const DeviceReport& report : reports) {
        array.append(ReportJson(report));
    }
    return array;
}

QString ReportTable(const std::vector<DeviceReport>& reports) {
    std::array<qsizetype, kKeys.size()> widths{};
    for (std::size_t column = 0; column < kKeys.size(); ++column) {
        widths[column] = kKeys[column].heading.size();
        for (const DeviceReport& report : reports) {
            widths[column] = std::max(widths[column], report.texts[column].size());
        }
    }
    auto line = [&widths](auto textOf) {
        QString text;
        for (std::size_t column = 0; column < kKeys.size(); ++column) {
            const QString cell = textOf(column);
            text += column + 1 < kKeys.size() ? cell.leftJustified(widths[column] + 2) : cell;
        }
        return text + u'\n';
    };
    QString table = line([](std::size_t column) { return QString(kKeys[column].heading); });
    for (const DeviceReport& report : reports) {
        table += line([&report](std::size_t column) { return report.texts[column]; });
    }
    return table;
}

} // namespace fenwick::ctl
