#include "device_selection.h"

#include "codec/device_tables.h"
#include "core/config/config_texts.h"
#include "core/lists/device_columns.h"

namespace fenwick {
namespace {

constexpr int kDiscoveryMacColumn = ColumnOf(kDiscoveryFields, DeviceField::Mac);
constexpr int kMonitorIpColumn = ColumnOf(kMonitorFields, DeviceField::Ip);
constexpr std::size_t kMacTextLength = 12;

} // namespace

DeviceSelection::DeviceSelection(ProgramState& state, UserPrompts& prompts, MainLists lists)
    : state_(state), prompts_(prompts), lists_(lists) {}

SelectionKind DeviceSelection::ClassifySelection() const {
    const std::size_t discovery = lists_.discoverySelection.SelectedRows().size();
    const std::size_t monitor = lists_.monitorSelection.SelectedRows().size();
    if (discovery > 1 || monitor > 1) {
        return SelectionKind::SeveralSelected;
    }
    if (discovery == 0 && monitor == 0) {
        return SelectionKind::NoneSelected;
    }
    return discovery == 1 ? SelectionKind::OneInDiscovery : SelectionKind::OneInMonitor;
}

std::optional<AgentCheck> DeviceSelection::CheckAgent(bool fromMonitor) const {
    const ListSelection& selection =
        fromMonitor ? lists_.monitorSelection : lists_.discoverySelection;
    const std::optional<int> row = selection.FirstSelectedRow();
    if (!row) {
        return std::nullopt;
    }
    std::optional<int> index;
    if (fromMonitor) {
        const std::string ip = lists_.monitor.Text(*row, kMonitorIpColumn).toLatin1().toStdString();
        index = FindMonitorByIp(state_.MonitorTable, lists_.monitor.RowCount(), ip);
    } else {
        const std::string mac = lists_.discovery.Text(*row, kDiscoveryMacColumn)
                                    .left(static_cast<qsizetype>(kMacTextLength))
                                    .toLatin1()
                                    .toStdString();
        index = FindDiscoveryByMac(state_.DiscoveryTable, lists_.discovery.RowCount(), mac);
    }
    if (!index) {
        return std::nullopt;
    }
    const DeviceTable& table = fromMonitor ? state_.MonitorTable : state_.DiscoveryTable;
    const DeviceRecord& record = table[static_cast<std::size_t>(*index)];
    AgentVerdict verdict = AgentVerdict::Usable;
    if (record.ProtocolVersion != 2) {
        verdict = AgentVerdict::ProtocolNotSupported;
    } else if (record.InterfaceVersion > 1) {
        verdict = AgentVerdict::InterfaceNotSupported;
    } else if (record.InterfaceVersion == 0) {
        verdict = AgentVerdict::InterfaceZero;
    }
    return AgentCheck{verdict, *index};
}

bool DeviceSelection::ChooseDevice(DeviceCommand command) {
    switch (ClassifySelection()) {
    case SelectionKind::SeveralSelected:
        ShowError(texts::kOnlyOneDevice);
        return false;
    case SelectionKind::NoneSelected:
        ShowError(texts::kSelectOneDevice);
        return false;
    case SelectionKind::OneInDiscovery:
        return Choose(false, command);
    case SelectionKind::OneInMonitor:
        return Choose(true, command);
    }
    return false;
}

bool DeviceSelection::Choose(bool fromMonitor, DeviceCommand command) {
    const std::optional<AgentCheck> check = CheckAgent(fromMonitor);
    if (!check) {
        return false;
    }
    switch (check->verdict) {
    case AgentVerdict::ProtocolNotSupported:
        ShowError(texts::kProtocolNotSupported);
        return false;
    case AgentVerdict::InterfaceNotSupported:
        ShowError(texts::kInterfaceNotSupported);
        return false;
    case AgentVerdict::InterfaceZero:
        if (command != DeviceCommand::Upgrade) {
            return false;
        }
        break;
    case AgentVerdict::Usable:
        break;
    }
    state_.Selection.SelectedIndex = check->index;
    const DeviceTable& table = fromMonitor ? state_.MonitorTable : state_.DiscoveryTable;
    if (command == DeviceCommand::Configuration &&
        table[static_cast<std::size_t>(check->index)].AgentState == kAgentStateLoader) {
        ShowError(fromMonitor ? texts::kLoaderModeMonitor : texts::kLoaderModeDiscovery);
        return false;
    }
    state_.Selection.SelectedInMonitor = fromMonitor ? kChosenInMonitor : kChosenInDiscovery;
    return true;
}

const DeviceRecord& DeviceSelection::Chosen() const {
    const DeviceTable& table = state_.Selection.SelectedInMonitor == kChosenInMonitor
                                   ? state_.MonitorTable
                                   : state_.DiscoveryTable;
    return table[static_cast<std::size_t>(state_.Selection.SelectedIndex)];
}

bool DeviceSelection::FindChosenAgain(std::string_view macText) {
    const bool inMonitor = state_.Selection.SelectedInMonitor == kChosenInMonitor;
    const DeviceTable& table = inMonitor ? state_.MonitorTable : state_.DiscoveryTable;
    const int count = inMonitor ? lists_.monitor.RowCount() : lists_.discovery.RowCount();
    const int chosen = state_.Selection.SelectedIndex;
    // The entry chosen, when it still holds the device: a monitor list from a file may hold
    // one MAC address twice.
    if (chosen >= 0 && chosen < count &&
        FieldText(table[static_cast<std::size_t>(chosen)].MacText) == macText) {
        return true;
    }
    const std::optional<int> index = inMonitor ? FindMonitorByMac(table, count, macText)
                                               : FindDiscoveryByMac(table, count, macText);
    if (!index) {
        ShowError(
            QString(texts::kDeviceNoLongerListed)
                .arg(QString::fromLatin1(macText.data(), static_cast<qsizetype>(macText.size()))));
        return false;
    }
    state_.Selection.SelectedIndex = *index;
    return true;
}

void DeviceSelection::ShowError(const QString& text) {
    prompts_.MessageBox(text, texts::kCaptionError, UserPrompts::Icon::Error);
}

} // namespace fenwick
