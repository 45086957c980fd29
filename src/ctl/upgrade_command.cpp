// upgrade: one image to each device in turn, each confirmed before the next begins; the first
// failure stops the rest unless --keep-going, so that a bad image cannot brick a whole rack.
#include "core/firmware/tftp_transfer.h"
#include "core/lists/device_columns.h"
#include "core/lists/list_view_model.h"
#include "ctl/command_steps.h"
#include "ctl/ctl_commands.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_session.h"
#include "ctl/ctl_texts.h"
#include "ctl/exit_codes.h"
#include "ctl/stop_signals.h"
#include "ctl/upgrade_run.h"

#include <QElapsedTimer>
#include <QFile>

namespace fenwick::ctl {
namespace {

struct DeviceOutcome {
    QString device; // as typed
    QString mac;
    QString ip;
    QString result;
    QString reason;
    double seconds = 0;
};

QJsonObject OutcomeJson(const DeviceOutcome& outcome) {
    return {{QLatin1String("device"), outcome.device}, {QLatin1String("mac"), outcome.mac},
            {QLatin1String("ip"), outcome.ip},         {QLatin1String("result"), outcome.result},
            {QLatin1String("reason"), outcome.reason}, {QLatin1String("seconds"), outcome.seconds}};
}

QString OutcomeLine(const DeviceOutcome& outcome) {
    QString line =
        QStringLiteral("%1 %2 %3 %4 %5s")
            .arg(outcome.device, outcome.mac.isEmpty() ? QStringLiteral("-") : outcome.mac,
                 outcome.ip.isEmpty() ? QStringLiteral("-") : outcome.ip, outcome.result)
            .arg(outcome.seconds, 0, 'f', 1);
    if (!outcome.reason.isEmpty()) {
        line += u' ' + QString(outcome.reason).replace(u'\n', u' ');
    }
    return line + u'\n';
}

constexpr int kMacColumn = ColumnOf(kDiscoveryFields, DeviceField::Mac);
constexpr int kIpColumn = ColumnOf(kDiscoveryFields, DeviceField::Ip);

} // namespace

int RunUpgrade(CtlSession& session, const CtlCommandLine& line) {
    const std::optional<std::vector<DeviceArgument>> devices = ReadDevices(line.devices);
    if (!devices) {
        return kExitUsage;
    }
    if (QFile image(line.image); !image.open(QIODevice::ReadOnly)) {
        Say(QString(texts::kImageUnreadable).arg(line.image, image.errorString()));
        return kExitUsage;
    }
    const std::optional<QString> password = CurrentPassword(line, line.devices.join(u' '));
    if (!password) {
        return kExitUsage;
    }
    if (const int started = session.Start(); started != kExitDone) {
        return started;
    }
    // Ctrl+C or a SIGTERM stops the rollout where it stands, like "Cancel" in the window, and
    // still says what became of every device.
    bool interrupted = false;
    const StopSignals stopSignals([&session, &interrupted] {
        interrupted = true;
        session.Core().Tftp().Cancel();
        session.Finish();
    });
    if (const int sent = session.Discover(line.waitSeconds * 1000); sent != kExitDone) {
        return sent;
    }

    // Each device is known by its MAC address from here on (empty: it did not answer): an
    // upgrade may change nothing of it, but the confirmation's discovery refills the list the
    // rows come from.
    std::vector<DeviceOutcome> outcomes;
    for (std::size_t i = 0; i < devices->size(); ++i) {
        DeviceOutcome outcome{line.devices[static_cast<qsizetype>(i)], {}, {}, {}, {}, 0};
        if (const std::optional<int> row = session.FindDiscovered((*devices)[i])) {
            outcome.mac = session.Core().DiscoveryList().Text(*row, kMacColumn);
            outcome.ip = session.Core().DiscoveryList().Text(*row, kIpColumn);
        }
        outcomes.push_back(outcome);
    }

    bool stopped = false;
    for (DeviceOutcome& outcome : outcomes) {
        if (stopped || interrupted) {
            outcome.result = texts::kResultSkipped;
            outcome.reason = interrupted ? texts::kInterrupted : texts::kStoppedAfterFailure;
            continue;
        }
        QElapsedTimer clock;
        clock.start();
        std::optional<int> row;
        if (!outcome.mac.isEmpty()) {
            const DeviceArgument mac{DeviceArgument::Kind::Mac, outcome.mac.toStdString(), 0};
            row = session.FindDiscovered(mac);
            if (!row) { // not in the list the last confirmation left: look once more
                if (const int sent = session.Discover(line.waitSeconds * 1000); sent != kExitDone) {
                    return sent;
                }
                row = session.FindDiscovered(mac);
            }
        }
        UpgradeResult result;
        if (row && !interrupted) {
            result = UpgradeDevice(session, *row, *password, line.image, outcome.device);
        } else {
            result.reason = QString(texts::kDidNotAnswer).arg(outcome.device);
        }
        if (interrupted && !result.ok) {
            result.reason = texts::kInterrupted;
        }
        outcome.result = result.ok ? texts::kResultOk : texts::kResultFailed;
        outcome.reason = result.reason;
        outcome.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
        stopped = !result.ok && !line.keepGoing;
    }

    bool allOk = true;
    QJsonArray array;
    QString summary;
    for (const DeviceOutcome& outcome : outcomes) {
        allOk = allOk && outcome.result == texts::kResultOk;
        array.append(OutcomeJson(outcome));
        summary += OutcomeLine(outcome);
    }
    if (line.json) {
        PrintJson(array);
    } else {
        Print(summary);
    }
    return allOk ? kExitDone : kExitDeviceFailed;
}

} // namespace fenwick::ctl
