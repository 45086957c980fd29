// discover and show: the Discovery List as a script reads it.
#include "core/lists/list_view_model.h"
#include "ctl/command_steps.h"
#include "ctl/ctl_commands.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_session.h"
#include "ctl/device_report.h"
#include "ctl/exit_codes.h"

namespace fenwick::ctl {

int RunDiscover(CtlSession& session, const CtlCommandLine& line) {
    if (const int discovered = StartAndDiscover(session, line.waitSeconds * 1000);
        discovered != kExitDone) {
        return discovered;
    }
    std::vector<DeviceReport> reports;
    const ListViewModel& list = session.Core().DiscoveryList();
    for (int row = 0; row < list.RowCount(); ++row) {
        reports.push_back(ReportOfRow(list, row, session.DiscoveredRecord(row)));
    }
    SortByAddress(reports);
    if (line.json) {
        PrintJson(ReportsJson(reports));
    } else {
        Print(ReportTable(reports));
    }
    return kExitDone;
}

int RunShow(CtlSession& session, const CtlCommandLine& line) {
    const std::optional<std::vector<DeviceArgument>> devices = ReadDevices(line.devices);
    if (!devices) {
        return kExitUsage;
    }
    const FoundDevice found = StartAndFindDevice(session, devices->front(), line.devices.front(),
                                                 line.waitSeconds * 1000);
    if (!found.row) {
        return found.exitCode;
    }
    const DeviceReport report = ReportOfRow(session.Core().DiscoveryList(), *found.row,
                                            session.DiscoveredRecord(*found.row));
    if (line.json) {
        PrintJson(ReportJson(report));
    } else {
        Print(ReportTable({report}));
    }
    return kExitDone;
}

} // namespace fenwick::ctl
