#include "monitor_list_service.h"

#include "codec/device_tables.h"
#include "core/lists/device_columns.h"
#include "core/lists/list_texts.h"
#include "core/support/latin1.h"

#include <QByteArray>
#include <algorithm>
#include <vector>

namespace fenwick {
namespace {

constexpr int kColumnIp = ColumnOf(kMonitorFields, DeviceField::Ip);
constexpr int kColumnMac = ColumnOf(kMonitorFields, DeviceField::Mac);

constexpr int kSlots = static_cast<int>(kDeviceTableSlots);

// The Discovery List shows a device's MAC text in its first column.
constexpr int kDiscoveryMacColumn = ColumnOf(kDiscoveryFields, DeviceField::Mac);

// Moves the entries that `keep` accepts, in their order, to the front of the table and fills
// every other slot with zero bytes, so that the occupied slots stay contiguous.
template <typename Keep> void CloseUp(DeviceTable& table, Keep keep) {
    std::size_t to = 0;
    for (std::size_t from = 0; from < table.size(); ++from) {
        if (keep(static_cast<int>(from), table[from])) {
            if (to != from) {
                table[to] = table[from];
            }
            ++to;
        }
    }
    std::fill(table.begin() + static_cast<std::ptrdiff_t>(to), table.end(), ZeroRecord());
}

// The 8-bit text a list cell shows, for the table searches.
QByteArray CellBytes(const ListViewModel& list, int row, int column) {
    return list.Text(row, column).toLatin1();
}

} // namespace

MonitorListService::MonitorListService(ProgramState& state, UserPrompts& prompts, MainLists lists)
    : state_(state), prompts_(prompts), lists_(lists) {}

int MonitorListService::Count() const {
    return std::min(lists_.monitor.RowCount(), kSlots);
}

void MonitorListService::ShowMonitorRow(int index) {
    if (index < 0 || index >= kSlots) {
        return;
    }
    const DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(index)];
    ListViewModel& list = lists_.monitor;
    int row = 0;
    if (entry.ListState == kListStateNoRow) {
        row = list.InsertRow(index, index, QString());
    } else {
        std::optional<int> found = list.FindRow(kColumnIp, Latin1(FieldText(entry.IpText)));
        const std::string_view mac = FieldText(entry.MacText);
        if (!found && !mac.empty()) {
            found = list.FindRow(kColumnMac, Latin1(mac));
        }
        if (!found) {
            return; // every entry with a row is found by one of its texts
        }
        row = *found;
        // The refreshed row stands at its place with its key, shown unselected as a row put in
        // afresh would be. Refreshing in place keeps a trap storm from rebuilding the list.
        lists_.monitorSelection.DeselectRow(row);
        list.SetText(row, 0, QString());
    }
    list.SetImage(row, entry.StatusImage);
    SetDeviceTexts(list, row, entry, kMonitorFields);
    for (int position = 0; position < list.RowCount(); ++position) {
        list.SetItemData(position, position);
    }
}

std::optional<int> MonitorListService::AppendEntry(const DeviceRecord& record) {
    const int slot = Count();
    if (slot >= kSlots) {
        return std::nullopt;
    }
    state_.MonitorTable[static_cast<std::size_t>(slot)] = record;
    ShowMonitorRow(slot);
    return slot;
}

void MonitorListService::Append(const DeviceRecord& record) {
    if (!AppendEntry(record)) {
        ShowFull();
    }
}

void MonitorListService::ShowFull() {
    prompts_.MessageBox(texts::kMonitorListFull, texts::kCaptionError, UserPrompts::Icon::Error);
}

void MonitorListService::TellOutcome(MoveOutcome outcome) {
    switch (outcome) {
    case MoveOutcome::Duplicate:
        prompts_.MessageBox(texts::kDuplicateIp, texts::kCaptionAddFail, UserPrompts::Icon::Error);
        return;
    case MoveOutcome::Full:
        ShowFull();
        return;
    case MoveOutcome::Moved:
    case MoveOutcome::MovedAlready:
        return;
    }
}

std::optional<int> MonitorListService::DiscoverySlotOfRow(int row) const {
    const QByteArray mac = CellBytes(lists_.discovery, row, kDiscoveryMacColumn);
    return FindDiscoveryByMac(state_.DiscoveryTable, lists_.discovery.RowCount(), TextView(mac));
}

bool MonitorListService::IsDuplicate(const DeviceRecord& record, int discoveryCount) const {
    if (FindMonitorByIp(state_.MonitorTable, Count(), FieldText(record.IpText))) {
        return true;
    }
    // Two Discovery List devices with one address are both refused. Slots emptied by this
    // operation hold no device and do not count.
    const auto end = state_.DiscoveryTable.begin() + std::clamp(discoveryCount, 0, kSlots);
    const auto sameAddress =
        std::count_if(state_.DiscoveryTable.begin(), end, [&](const DeviceRecord& other) {
            return !FieldText(other.MacText).empty() && other.IpAddress == record.IpAddress;
        });
    return sameAddress >= 2;
}

MonitorListService::MoveOutcome MonitorListService::MoveToMonitor(int slot, int discoveryCount) {
    DeviceRecord& device = state_.DiscoveryTable[static_cast<std::size_t>(slot)];
    if (FieldText(device.MacText).empty()) {
        return MoveOutcome::MovedAlready;
    }
    if (IsDuplicate(device, discoveryCount)) {
        return MoveOutcome::Duplicate;
    }
    DeviceRecord entry = device;
    entry.StatusImage = kStatusImageNone;
    entry.ListState = kListStateNoRow;
    if (!AppendEntry(entry)) {
        return MoveOutcome::Full;
    }
    const QString mac = Latin1(FieldText(device.MacText)).left(12);
    ListViewModel& discovery = lists_.discovery;
    for (int row = 0; row < discovery.RowCount(); ++row) {
        if (discovery.Text(row, kDiscoveryMacColumn).left(12) == mac) {
            discovery.DeleteRow(row);
            break;
        }
    }
    device = ZeroRecord();
    return MoveOutcome::Moved;
}

void MonitorListService::AddToMonitorList() {
    const std::vector<int> rows = lists_.discoverySelection.SelectedRows();
    if (rows.empty()) {
        return;
    }
    // Resolve every selected row first: moving devices changes the rows and the selection.
    std::vector<int> devices;
    for (int row : rows) {
        if (const std::optional<int> slot = DiscoverySlotOfRow(row)) {
            devices.push_back(*slot);
        }
    }
    const int discoveryCount = lists_.discovery.RowCount();
    std::vector<MoveOutcome> outcomes;
    for (int slot : devices) {
        outcomes.push_back(MoveToMonitor(slot, discoveryCount));
    }
    CloseUp(state_.DiscoveryTable, [discoveryCount](int slot, const DeviceRecord& record) {
        return slot < discoveryCount && !FieldText(record.MacText).empty();
    });
    // Only now, with the table whole again: replies keep arriving while a box is open, and
    // would be filed into the holes the moves left.
    for (MoveOutcome outcome : outcomes) {
        TellOutcome(outcome);
    }
}

void MonitorListService::DiscoveryDoubleClicked() {
    const std::vector<int> rows = lists_.discoverySelection.SelectedRows();
    if (rows.size() != 1) {
        return;
    }
    const std::optional<int> slot = DiscoverySlotOfRow(rows.front());
    if (!slot) {
        return;
    }
    const MoveOutcome outcome = MoveToMonitor(*slot, lists_.discovery.RowCount());
    if (outcome == MoveOutcome::Moved) {
        CloseUp(state_.DiscoveryTable,
                [moved = *slot](int other, const DeviceRecord&) { return other != moved; });
    }
    TellOutcome(outcome);
}

std::optional<int> MonitorListService::EntryOfRow(int row, int count,
                                                  const std::vector<bool>& taken) const {
    const QByteArray ip = CellBytes(lists_.monitor, row, kColumnIp);
    const QByteArray mac = CellBytes(lists_.monitor, row, kColumnMac);
    // Rows that show one IP text (entries from a file may share one, even an empty one) each
    // stand for an entry of their own: the first one not taken yet, the one with the row's MAC
    // text if there is such.
    std::optional<int> sameIp;
    for (int slot = 0; slot < count; ++slot) {
        const DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(slot)];
        if (taken[static_cast<std::size_t>(slot)] || FieldText(entry.IpText) != TextView(ip)) {
            continue;
        }
        if (FieldText(entry.MacText) == TextView(mac)) {
            return slot;
        }
        if (!sameIp) {
            sameIp = slot;
        }
    }
    return sameIp;
}

void MonitorListService::DeleteItem() {
    const std::vector<int> rows = lists_.monitorSelection.SelectedRows();
    if (rows.empty()) {
        return;
    }
    if (prompts_.MessageBox(texts::kConfirmDelete, texts::kCaptionWarning,
                            UserPrompts::Icon::Warning,
                            UserPrompts::Buttons::OkCancel) != UserPrompts::Answer::Ok) {
        return;
    }
    const int count = Count();
    std::vector<bool> deleted(kDeviceTableSlots, false);
    for (int row : rows) {
        const std::optional<int> slot = EntryOfRow(row, count, deleted);
        if (slot) {
            state_.MonitorTable[static_cast<std::size_t>(*slot)] = ZeroRecord();
            deleted[static_cast<std::size_t>(*slot)] = true;
        }
    }
    // Exactly the deleted entries leave the table, even a record loaded from a file with an
    // address of 0, whose row stays and must keep its entry.
    CloseUp(state_.MonitorTable, [&](int slot, const DeviceRecord&) {
        return slot < count && !deleted[static_cast<std::size_t>(slot)];
    });
    for (std::size_t k = 0; k < rows.size(); ++k) {
        lists_.monitor.DeleteRow(rows[k] - static_cast<int>(k));
    }
}

} // namespace fenwick
