// The Monitor List's columns: the status image, then the device's texts.
#pragma once

#include "core/lists/list_view_model.h"

#include <vector>

namespace fenwick {

inline std::vector<ListViewModel::Column> MonitorColumns() {
    const Qt::Alignment left = Qt::AlignLeft;
    return {
        {QStringLiteral("S"), Qt::AlignHCenter, 20},
        {QStringLiteral("IP Address"), left, 80},
        {QStringLiteral("MAC Address"), left, 100},
        {QStringLiteral("Protocol Version"), left, 100},
        {QStringLiteral("Product Name"), left, 100},
        {QStringLiteral("System Name"), left, 100},
        {QStringLiteral("Location"), left, 100},
        {QStringLiteral("Trap IP"), left, 100},
        {QStringLiteral("Subnet Mask"), left, 100},
        {QStringLiteral("Gateway"), left, 100},
    };
}

} // namespace fenwick
