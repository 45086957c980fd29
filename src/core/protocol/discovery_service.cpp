#include "discovery_service.h"

#include "codec/device_tables.h"
#include "codec/info_field.h"
#include "codec/packet_header.h"
#include "core/lists/device_columns.h"
#include "core/lists/monitor_list_service.h"
#include "core/monitor/request_accounting.h"
#include "core/protocol/protocol_texts.h"
#include "core/support/latin1.h"

#include <array>
#include <optional>

namespace fenwick {
namespace {

constexpr int kColumnMac = ColumnOf(kDiscoveryFields, DeviceField::Mac);

} // namespace

DiscoveryService::DiscoveryService(ProgramState& state, UnstackedBoxes& boxes, MainLists lists,
                                   MonitorListService& monitor)
    : state_(state), boxes_(boxes), lists_(lists), monitor_(monitor) {}

bool DiscoveryService::SendRequest(DatagramSocket* broadcastSocket, Counting counting) {
    if (broadcastSocket == nullptr || broadcastSocket->SetBroadcast(true) != 0) {
        boxes_.Show(texts::kSetSocketoptError, texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    std::array<std::uint8_t, kHeaderLength> request{};
    BuildRequestHeader(kCommandDiscovery, state_.Protocol.AgentKey, request);
    if (counting == Counting::Counted) {
        MarkAllRequestsSent(state_.MonitorTable, monitor_.Count());
    }
    lists_.discovery.DeleteAllRows();
    state_.DiscoveryTable.fill(ZeroRecord());
    if (broadcastSocket->SendTo(request, kLimitedBroadcast, state_.Protocol.AgentPort) != 0) {
        boxes_.Show(texts::kDiscoverySentoFail, texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    return true;
}

void DiscoveryService::StoreReply(DeviceRecord& record, std::span<const std::uint8_t> body) {
    const std::optional<int> notedMonitorRow = lists_.monitorSelection.FirstSelectedRow();
    const std::optional<int> notedDiscoveryRow = lists_.discoverySelection.FirstSelectedRow();

    ParseReplyBody(body, record);

    const int monitorRows = lists_.monitor.RowCount();
    if (const std::optional<int> byIp =
            FindMonitorByIp(state_.MonitorTable, monitorRows, FieldText(record.IpText))) {
        FileInMonitorTable(record, *byIp, kStatusImageNone);
    } else if (const std::optional<int> byMac =
                   FindMonitorByMac(state_.MonitorTable, monitorRows, FieldText(record.MacText))) {
        // Found by its MAC text only (its address has changed): a not-alive mark stays.
        const bool wasNotAlive =
            state_.MonitorTable[static_cast<std::size_t>(*byMac)].StatusImage ==
            kStatusImageNotAlive;
        FileInMonitorTable(record, *byMac, wasNotAlive ? kStatusImageNotAlive : kStatusImageNone);
    } else if (!FileInDiscoveryTable(record)) {
        return; // a device the full table cannot take confirms no set
    }

    ConfirmSet(record);
    if (notedMonitorRow) {
        lists_.monitorSelection.SelectRow(*notedMonitorRow);
    }
    if (notedDiscoveryRow) {
        lists_.discoverySelection.SelectRow(*notedDiscoveryRow);
    }
}

void DiscoveryService::StoreMismatch(DeviceRecord& record, int reason) {
    if (reason == kReasonLoaderMode) {
        record.AgentState = kAgentStateLoader;
    }
    if (const std::optional<int> byIp = FindMonitorByIp(
            state_.MonitorTable, lists_.monitor.RowCount(), FieldText(record.IpText))) {
        FileInMonitorTable(record, *byIp, kStatusImageNone);
        return;
    }
    // A full table has been told of; nothing else follows either way.
    static_cast<void>(FileInDiscoveryTable(record));
}

void DiscoveryService::FileInMonitorTable(DeviceRecord& record, int index,
                                          std::int32_t statusImage) {
    record.AgentKey = state_.Protocol.AgentKey;
    MarkHeardFrom(record, kListStateHasRow, statusImage);
    state_.MonitorTable[static_cast<std::size_t>(index)] = record;
    monitor_.ShowMonitorRow(index);
}

bool DiscoveryService::FileInDiscoveryTable(DeviceRecord& record) {
    const int count = lists_.discovery.RowCount();
    const std::optional<int> known =
        FindDiscoveryByMac(state_.DiscoveryTable, count, FieldText(record.MacText));
    const int index = known.value_or(count);
    if (index >= static_cast<int>(kDeviceTableSlots)) {
        ShowFull();
        return false;
    }
    record.AgentKey = state_.Protocol.AgentKey;
    MarkHeardFrom(record, known ? kListStateHasRow : kListStateNoRow, kStatusImageNone);
    state_.DiscoveryTable[static_cast<std::size_t>(index)] = record;
    ShowDiscoveryRow(index);
    return true;
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
    boxes_.Show(texts::kSetSuccessful, texts::kCaptionInformation, UserPrompts::Icon::Information);
}

void DiscoveryService::ShowFull() {
    boxes_.Show(texts::kDiscoveryFull, texts::kCaptionError, UserPrompts::Icon::Error);
}

void DiscoveryService::ShowDiscoveryRow(int slot) {
    const DeviceRecord& record = state_.DiscoveryTable[static_cast<std::size_t>(slot)];
    ListViewModel& list = lists_.discovery;
    const QString mac = Latin1(FieldText(record.MacText));
    std::optional<int> row;
    if (record.ListState == kListStateHasRow) {
        row = list.FindRow(kColumnMac, mac);
    } else if (record.ListState == kListStateNoRow) {
        row = list.InsertRow(slot, slot, mac);
    }
    if (row) {
        SetDeviceTexts(list, *row, record, kDiscoveryFields);
    }
}

} // namespace fenwick
