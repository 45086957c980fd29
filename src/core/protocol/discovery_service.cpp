#include "discovery_service.h"

#include "codec/device_tables.h"
#include "codec/info_field.h"
#include "codec/packet_header.h"
#include "core/app/latin1.h"
#include "core/lists/device_columns.h"
#include "core/lists/monitor_list_service.h"
#include "core/monitor/request_accounting.h"

#include <array>

namespace fenwick {
namespace {

constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

constexpr int kColumnMac = ColumnOf(kDiscoveryFields, DeviceField::Mac);

// Marks a record as just heard from, as every store does before copying it into a table.
void MarkAnswered(DeviceRecord& record, std::uint32_t agentKey) {
    record.AgentKey = agentKey;
    record.StatusImage = -1;
    record.MissCount = 0;
    record.Answered = 1;
}

} // namespace

DiscoveryService::DiscoveryService(ProgramState& state, UnstackedBoxes& boxes, MainLists lists,
                                   MonitorListService& monitor)
    : state_(state), boxes_(boxes), lists_(lists), monitor_(monitor) {}

void DiscoveryService::SendRequest(DatagramSocket* broadcastSocket) {
    if (broadcastSocket == nullptr || broadcastSocket->SetBroadcast(true) != 0) {
        boxes_.Show(QStringLiteral("Set socketopt error"), QStringLiteral("Error"),
                    UserPrompts::Icon::Error);
        return;
    }
    std::array<std::uint8_t, kHeaderLength> request{};
    BuildRequestHeader(kCommandDiscovery, state_.Protocol.AgentKey, request);
    MarkAllRequestsSent(state_.MonitorTable, monitor_.Count());
    lists_.discovery.DeleteAllRows();
    state_.DiscoveryTable.fill(ZeroRecord());
    if (broadcastSocket->SendTo(request, kLimitedBroadcast, state_.Protocol.AgentPort) != 0) {
        boxes_.Show(QStringLiteral("Discovery sento fail"), QStringLiteral("Error"),
                    UserPrompts::Icon::Error);
    }
}

int DiscoveryService::StoreReply(DeviceRecord& record, std::span<const std::uint8_t> body) {
    const int notedMonitorRow = lists_.monitorSelection.FirstSelectedRow();
    const int notedDiscoveryRow = lists_.discoverySelection.FirstSelectedRow();

    ParseReplyBody(body, record);

    const int monitorRows = lists_.monitor.RowCount();
    bool found = false;
    int index = FindMonitorByIp(state_.MonitorTable, monitorRows, FieldText(record.IpText), found);
    if (found) {
        MarkAnswered(record, state_.Protocol.AgentKey);
        FileInMonitorTable(record, index);
    } else if (index = FindMonitorByMac(state_.MonitorTable, monitorRows, FieldText(record.MacText),
                                        found);
               found) {
        // Found by its MAC text only (its address has changed): a not-alive mark stays.
        const bool wasNotAlive =
            state_.MonitorTable[static_cast<std::size_t>(index)].StatusImage == 1;
        MarkAnswered(record, state_.Protocol.AgentKey);
        record.StatusImage = wasNotAlive ? 1 : -1;
        FileInMonitorTable(record, index);
    } else {
        index = FindDiscoveryByMac(state_.DiscoveryTable, lists_.discovery.RowCount(),
                                   FieldText(record.MacText), found);
        if (index >= static_cast<int>(kDeviceTableSlots)) {
            ShowFull();
            return -1;
        }
        MarkAnswered(record, state_.Protocol.AgentKey);
        FileInDiscoveryTable(record, index, found);
    }

    ConfirmSet(record);
    lists_.monitorSelection.SelectRow(notedMonitorRow);
    lists_.discoverySelection.SelectRow(notedDiscoveryRow);
    return 0;
}

void DiscoveryService::StoreMismatch(DeviceRecord& record, int reason) {
    if (reason == kReasonLoaderMode) {
        record.AgentState = kAgentStateLoader;
    }
    bool found = false;
    int index = FindMonitorByIp(state_.MonitorTable, lists_.monitor.RowCount(),
                                FieldText(record.IpText), found);
    if (found) {
        MarkAnswered(record, state_.Protocol.AgentKey);
        FileInMonitorTable(record, index);
        return;
    }
    index = FindDiscoveryByMac(state_.DiscoveryTable, lists_.discovery.RowCount(),
                               FieldText(record.MacText), found);
    if (index >= static_cast<int>(kDeviceTableSlots)) {
        ShowFull();
        return;
    }
    MarkAnswered(record, state_.Protocol.AgentKey);
    FileInDiscoveryTable(record, index, found);
}

void DiscoveryService::FileInMonitorTable(DeviceRecord& record, int index) {
    record.ListState = kListStateHasRow;
    state_.MonitorTable[static_cast<std::size_t>(index)] = record;
    monitor_.ShowMonitorRow(index);
}

void DiscoveryService::FileInDiscoveryTable(DeviceRecord& record, int index, bool found) {
    record.ListState = found ? kListStateHasRow : kListStateNoRow;
    state_.DiscoveryTable[static_cast<std::size_t>(index)] = record;
    ShowDiscoveryRow(index);
}

void DiscoveryService::ConfirmSet(const DeviceRecord& record) {
    if (record.LastCommand != kCommandSetBroadcastReply &&
        record.LastCommand != kCommandSetUnicastReply) {
        return;
    }
    const bool macMatches = state_.Pending.ReadPendingSetMac() == FieldText(record.MacText);
    // 0 means no set is pending, never the address of a device.
    const bool ipMatches = state_.Pending.ReadPendingSetIp() != 0 &&
                           state_.Pending.ReadPendingSetIp() == record.IpAddress;
    if (!macMatches && !ipMatches) {
        return;
    }
    state_.Pending.WritePendingSetMac({});
    state_.Pending.WritePendingSetIp(0);
    boxes_.Show(QStringLiteral("Set Successful"), QStringLiteral("Information"),
                UserPrompts::Icon::Information);
}

void DiscoveryService::ShowFull() {
    boxes_.Show(QStringLiteral("Add fail, out of 256 devices"), QStringLiteral("Error"),
                UserPrompts::Icon::Error);
}

void DiscoveryService::ShowDiscoveryRow(int slot) {
    const DeviceRecord& record = state_.DiscoveryTable[static_cast<std::size_t>(slot)];
    ListViewModel& list = lists_.discovery;
    const QString mac = Latin1(FieldText(record.MacText));
    int row = -1;
    if (record.ListState == kListStateHasRow) {
        row = list.FindRow(kColumnMac, mac);
    } else if (record.ListState == kListStateNoRow) {
        row = list.InsertRow(slot, slot, mac);
    } else {
        return;
    }
    SetDeviceTexts(list, row, record, kDiscoveryFields);
}

} // namespace fenwick
