#include "web_access.h"

#include "codec/device_tables.h"
#include "core/config/config_texts.h"
#include "core/lists/device_columns.h"
#include "core/support/latin1.h"

#include <optional>
#include <string_view>

namespace fenwick {
namespace {

constexpr int kMonitorIpColumn = ColumnOf(kMonitorFields, DeviceField::Ip);

// True for four decimal octets 0-255 joined by dots, without signs, blanks or leading zeros.
// An IpText may come from a monitor list file, so nothing else may reach the browser's
// command line.
bool IsDottedAddress(std::string_view text) {
    int octets = 0;
    std::size_t at = 0;
    while (true) {
        std::size_t digits = 0;
        int value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4) {
            value = value * 10 + (text[at] - '0');
            ++digits;
            ++at;
        }
        const bool leadingZero = digits > 1 && text[at - digits] == '0';
        if (digits == 0 || digits > 3 || value > 255 || leadingZero) {
            return false;
        }
        ++octets;
        if (octets == 4) {
            return at == text.size();
        }
        if (at >= text.size() || text[at] != '.') {
            return false;
        }
        ++at;
    }
}

} // namespace

WebAccess::WebAccess(ProgramState& state, UserPrompts& prompts, UnstackedBoxes& boxes,
                     MainLists lists, Launcher& launcher)
    : state_(state), prompts_(prompts), boxes_(boxes), lists_(lists), launcher_(launcher) {}

void WebAccess::OpenWebAccess() {
    if (!lists_.discoverySelection.SelectedRows().empty()) {
        ShowError(texts::kOnlyMonitorWeb);
        return;
    }
    OpenSelected(true);
}

void WebAccess::MonitorDoubleClicked() {
    OpenSelected(false);
}

void WebAccess::OpenSelected(bool writeSelection) {
    const std::vector<int> rows = lists_.monitorSelection.SelectedRows();
    if (rows.size() > 1) {
        ShowError(texts::kOnlyOneDevice);
        return;
    }
    if (rows.empty()) {
        ShowError(texts::kSelectOneInMonitor);
        return;
    }
    const std::string ip =
        lists_.monitor.Text(rows.front(), kMonitorIpColumn).toLatin1().toStdString();
    const std::optional<int> index =
        FindMonitorByIp(state_.MonitorTable, lists_.monitor.RowCount(), ip);
    if (!index) {
        ShowError(texts::kBrowserWebFail);
        return;
    }
    if (writeSelection) {
        state_.Selection.SelectedIndex = *index;
    }
    const DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(*index)];
    if (entry.AgentState == kAgentStateLoader) {
        ShowError(texts::kLoaderModeDiscovery);
        return;
    }
    const std::string_view address = FieldText(entry.IpText);
    if (!IsDottedAddress(address)) {
        ShowError(texts::kBrowserWebFail);
        return;
    }
    launcher_.OpenInBrowser(QStringLiteral("http://") + Latin1(address), [this] {
        boxes_.Show(texts::kBrowserWebFail, texts::kCaptionError, UserPrompts::Icon::Error);
    });
}

void WebAccess::ShowError(const QString& text) {
    prompts_.MessageBox(text, texts::kCaptionError, UserPrompts::Icon::Error);
}

} // namespace fenwick
