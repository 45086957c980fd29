#include "remote_addition.h"

#include "codec/device_tables.h"
#include "codec/text_forms.h"
#include "codec/validation.h"
#include "core/config/config_texts.h"
#include "core/lists/list_texts.h"
#include "core/lists/monitor_list_service.h"

namespace fenwick {

RemoteAddition::RemoteAddition(ProgramState& state, UserPrompts& prompts, MainLists lists,
                               MonitorListService& monitor)
    : state_(state), prompts_(prompts), lists_(lists), monitor_(monitor) {}

bool RemoteAddition::BeginAddItem() {
    state_.Selection.MonitorCount = lists_.monitor.RowCount();
    if (state_.Selection.MonitorCount >= static_cast<int>(kDeviceTableSlots)) {
        ShowError(texts::kMonitorListFull, texts::kCaptionError);
        return false;
    }
    return true;
}

bool RemoteAddition::ApplyRemoteIp(std::uint32_t address) {
    if (address == 0 || !CheckHostAddress(address)) {
        ShowError(texts::kIpIllegal, texts::kCaptionBlankError);
        return false;
    }
    DeviceRecord entry = ZeroRecord();
    SetFieldText(entry.IpText, AddressText(address));
    entry.IpAddress = address;
    entry.AgentKey = kRemoteAgentKey;
    entry.ListState = kListStateNoRow;
    entry.StatusImage = kStatusImageNone;
    state_.MonitorTable[static_cast<std::size_t>(state_.Selection.MonitorCount)] = entry;
    return true;
}

void RemoteAddition::FinishAddItem() {
    const int slot = state_.Selection.MonitorCount;
    DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(slot)];
    const std::string_view ip = FieldText(entry.IpText);
    if (FindMonitorByIp(state_.MonitorTable, slot, ip) ||
        FindDiscoveryByIp(state_.DiscoveryTable, lists_.discovery.RowCount(), ip)) {
        // Slots 0 to MonitorCount-1 are the list's rows, so clearing the new one leaves the
        // table as compact as it was; entries with a row are never moved or dropped.
        entry = ZeroRecord();
        ShowError(texts::kDuplicateInEitherList, texts::kCaptionError);
        return;
    }
    monitor_.ShowMonitorRow(slot);
}

void RemoteAddition::ShowError(const QString& text, const QString& caption) {
    prompts_.MessageBox(text, caption, UserPrompts::Icon::Error);
}

} // namespace fenwick
