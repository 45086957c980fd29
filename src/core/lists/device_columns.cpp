#include "device_columns.h"

#include "codec/text_forms.h"
#include "core/support/latin1.h"

namespace fenwick {

std::vector<ListViewModel::Column> DiscoveryColumns() {
    const Qt::Alignment left = Qt::AlignLeft;
    return {
        {QStringLiteral("MAC Address"), Qt::AlignHCenter, 100, kWidestMacText},
        {QStringLiteral("IP Address"), left, 100, kWidestAddressText},
        {QStringLiteral("Protocol Version"), left, 100, kWidestVersionText},
        {QStringLiteral("Product Name"), left, 100, kWidestProductName},
        {QStringLiteral("System Name"), left, 100, kWidestName},
        {QStringLiteral("Location"), left, 100, kWidestName},
        {QStringLiteral("Trap IP"), left, 100, kWidestAddressText},
        {QStringLiteral("Subnet Mask"), left, 100, kWidestAddressText},
        {QStringLiteral("Gateway"), left, 100, kWidestAddressText},
    };
}

std::vector<ListViewModel::Column> MonitorColumns() {
    const Qt::Alignment left = Qt::AlignLeft;
    return {
        {QStringLiteral("S"), Qt::AlignHCenter, 20},
        {QStringLiteral("IP Address"), left, 80, kWidestAddressText},
        {QStringLiteral("MAC Address"), left, 100, kWidestMacText},
        {QStringLiteral("Protocol Version"), left, 100, kWidestVersionText},
        {QStringLiteral("Product Name"), left, 100, kWidestProductName},
        {QStringLiteral("System Name"), left, 100, kWidestName},
        {QStringLiteral("Location"), left, 100, kWidestName},
        {QStringLiteral("Trap IP"), left, 100, kWidestAddressText},
        {QStringLiteral("Subnet Mask"), left, 100, kWidestAddressText},
        {QStringLiteral("Gateway"), left, 100, kWidestAddressText},
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
