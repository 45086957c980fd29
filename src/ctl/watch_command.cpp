// watch: the traps of the monitor list's devices, one line each as it comes, until SIGINT or
// SIGTERM; the event log gets the same lines as the window writes.
#include "core/lists/list_view_model.h"
#include "core/monitor/trap_reception.h"
#include "ctl/ctl_commands.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_session.h"
#include "ctl/ctl_texts.h"
#include "ctl/exit_codes.h"
#include "ctl/stop_signals.h"

#include <QDateTime>

namespace fenwick::ctl {
namespace {

QString Latin1Text(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The trap's timestamp text (local time) in ISO 8601 with the local offset.
QString IsoTime(const std::string& timeText) {
    QDateTime local =
        QDateTime::fromString(Latin1Text(timeText), QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    if (!local.isValid()) {
        local = QDateTime::currentDateTime();
    }
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

int RunWatch(CtlSession& session, const CtlCommandLine& line) {
    if (const int started = session.Start(ManagerCore::MonitorListUse::Restore);
        started != kExitDone) {
        return started;
    }
    const int monitored = session.Core().MonitorList().RowCount();
    if (monitored == 0) {
        Say(texts::kEmptyMonitorList);
        return kExitEnvironment;
    }
    Say(QString(texts::kWatching).arg(monitored));
    QObject::connect(&session.Core().Reception(), &TrapReception::trapAccepted,
                     [&line](const AcceptedTrap& trap) {
                         if (line.json) {
                             PrintJson(
                                 QJsonObject{{QLatin1String("time"), IsoTime(trap.timeText)},
                                             {QLatin1String("ip"), Latin1Text(trap.address)},
                                             {QLatin1String("event"), Latin1Text(trap.eventText)}});
                         } else {
                             // One line per trap, whatever line ends a device puts in its text.
                             QString event = Latin1Text(trap.eventText);
                             event.replace(u'\r', u' ').replace(u'\n', u' ');
                             Print(Latin1Text(trap.timeText) + u' ' + Latin1Text(trap.address) +
                                   QStringLiteral(" Trap :") + event + u'\n');
                         }
                     });
    const StopSignals stopSignals([&session] { session.Finish(); });
    session.RunUntilFinished(-1);
    return kExitDone;
}

} // namespace fenwick::ctl
