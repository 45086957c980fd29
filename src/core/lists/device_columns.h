// The columns of the two main lists: what each shows of a device, with heading, alignment and
// width. Both lists show the same texts of a record, in their own order.
#pragma once

#include "codec/device_record.h"
#include "core/lists/list_view_model.h"

#include <array>
#include <span>
#include <vector>

namespace fenwick {

enum class DeviceField {
    None, // the Monitor List's status column: an image, no text
    Mac,
    Ip,
    Version,
    Product,
    SystemName,
    Location,
    TrapIp,
    Mask,
    Gateway,
};

inline constexpr std::array<DeviceField, 9> kDiscoveryFields = {
    DeviceField::Mac,     DeviceField::Ip,         DeviceField::Version,
    DeviceField::Product, DeviceField::SystemName, DeviceField::Location,
    DeviceField::TrapIp,  DeviceField::Mask,       DeviceField::Gateway,
};

inline constexpr std::array<DeviceField, 10> kMonitorFields = {
    DeviceField::None,    DeviceField::Ip,         DeviceField::Mac,      DeviceField::Version,
    DeviceField::Product, DeviceField::SystemName, DeviceField::Location, DeviceField::TrapIp,
    DeviceField::Mask,    DeviceField::Gateway,
};

// The column of a list that shows `field`.
template <std::size_t N>
constexpr int ColumnOf(const std::array<DeviceField, N>& fields, DeviceField field) {
    for (std::size_t column = 0; column < N; ++column) {
        if (fields[column] == field) {
            return static_cast<int>(column);
        }
    }
    return -1;
}

// Texts as wide as the longest each kind of column holds: the record's field widths, in the
// widest characters each kind of text is made of (capitals for names).
inline constexpr QLatin1String kWidestAddressText("255.255.255.255");
inline constexpr QLatin1String kWidestMacText("000000000000");
inline constexpr QLatin1String kWidestVersionText("255.fff.255");
inline constexpr QLatin1String kWidestProductName("ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMN");
inline constexpr QLatin1String kWidestName("ABCDEFGHIJKLMNOPQRST");

std::vector<ListViewModel::Column> DiscoveryColumns();
std::vector<ListViewModel::Column> MonitorColumns();

// The text a list shows for one field of a record.
QString DeviceFieldText(const DeviceRecord& record, DeviceField field);

// Sets every text column of `row` from the record, as `fields` lays the columns out.
void SetDeviceTexts(ListViewModel& list, int row, const DeviceRecord& record,
                    std::span<const DeviceField> fields);

} // namespace fenwick
