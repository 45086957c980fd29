#include "device_columns.h"

#include "codec/text_forms.h"
#include "core/lists/list_texts.h"
#include "core/support/latin1.h"

namespace fenwick {

std::vector<ListViewModel::Column> DiscoveryColumns() {
    const Qt::Alignment left = Qt::AlignLeft;
    return {
        {texts::kHeadingMac, Qt::AlignHCenter, 100, kWidestMacText},
        {texts::kHeadingIp, left, 100, kWidestAddressText},
        {texts::kHeadingVersion, left, 100, kWidestVersionText},
        {texts::kHeadingProduct, left, 100, kWidestProductName},
        {texts::kHeadingSystemName, left, 100, kWidestName},
        {texts::kHeadingLocation, left, 100, kWidestName},
        {texts::kHeadingTrapIp, left, 100, kWidestAddressText},
        {texts::kHeadingMask, left, 100, kWidestAddressText},
        {texts::kHeadingGateway, left, 100, kWidestAddressText},
    };
}

std::vector<ListViewModel::Column> MonitorColumns() {
    const Qt::Alignment left = Qt::AlignLeft;
    return {
        {texts::kHeadingStatus, Qt::AlignHCenter, 20},
        {texts::kHeadingIp, left, 80, kWidestAddressText},
        {texts::kHeadingMac, left, 100, kWidestMacText},
        {texts::kHeadingVersion, left, 100, kWidestVersionText},
        {texts::kHeadingProduct, left, 100, kWidestProductName},
        {texts::kHeadingSystemName, left, 100, kWidestName},
        {texts::kHeadingLocation, left, 100, kWidestName},
        {texts::kHeadingTrapIp, left, 100, kWidestAddressText},
        {texts::kHeadingMask, left, 100, kWidestAddressText},
        {texts::kHeadingGateway, left, 100, kWidestAddressText},
    };
}

QString DeviceFieldText(const DeviceRecord& record, DeviceField field) {
    switch (field) {
    case DeviceField::None:
        return {};
    case DeviceField::Mac:
        return Latin1(FieldText(record.MacText));
    case DeviceField::Ip:
        return Latin1(FieldText(record.IpText));
    case DeviceField::Version:
        return Latin1(
            VersionText(record.ProtocolVersion, record.Direction, record.InterfaceVersion));
    case DeviceField::Product:
        return Latin1(FieldText(record.ProductName));
    case DeviceField::SystemName:
        return Latin1(FieldText(record.SystemName));
    case DeviceField::Location:
        return Latin1(FieldText(record.Location));
    case DeviceField::TrapIp:
        return Latin1(FieldText(record.TrapIpText));
    case DeviceField::Mask:
        return Latin1(FieldText(record.SubnetMaskText));
    case DeviceField::Gateway:
        return Latin1(FieldText(record.GatewayText));
    }
    return {};
}

void SetDeviceTexts(ListViewModel& list, int row, const DeviceRecord& record,
                    std::span<const DeviceField> fields) {
    for (std::size_t column = 0; column < fields.size(); ++column) {
        if (fields[column] != DeviceField::None) {
            list.SetText(row, static_cast<int>(column), DeviceFieldText(record, fields[column]));
        }
    }
}

} // namespace fenwick
