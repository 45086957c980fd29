#include "upgrade_run.h"

#include "core/firmware/firmware_texts.h"
#include "core/firmware/tftp_transfer.h"
#include "core/firmware/upgrade_confirmation.h"
#include "core/firmware/upgrade_start.h"
#include "ctl/ctl_session.h"
#include "ctl/ctl_texts.h"
#include "ctl/upgrade_progress.h"

#include <QObject>
#include <QTimer>
#include <optional>

namespace fenwick::ctl {
namespace {

// A failure whose cause was told in a box or the Upgrade State: the summary repeats it.
UpgradeResult Failed(const QString& told) {
    return {false, told.isEmpty() ? QString(texts::kUpgradeEndedShort) : told};
}

// The Upgrade State texts of a transfer that failed: the device never answered, or it stopped
// answering partway ("Upgrade fail, translate ...").
bool TellsATransferFailure(const QString& state) {
    const QString failedPartway =
        QString(fenwick::texts::kUpgradeFailTranslate).section(u'%', 0, 0);
    return state == fenwick::texts::kDeviceNotFound || state.startsWith(failedPartway);
}

// The confirmation tells its result within its two waits; beyond them (its discovery could not
// be sent, say) nothing more will come.
constexpr int kConfirmationLimitMilliseconds = UpgradeConfirmation::kRestartWaitMilliseconds +
                                               UpgradeConfirmation::kAnswerWaitMilliseconds + 5000;

} // namespace

UpgradeResult UpgradeDevice(CtlSession& session, int row, const QString& password,
                            const QString& imagePath, const QString& shownName) {
    ManagerCore& core = session.Core();
    std::optional<UpgradeResult> result;
    QString lastProblem; // the last box or state text that told of a failure
    auto end = [&session, &result](UpgradeResult outcome) {
        if (!result) {
            result = std::move(outcome);
            session.Finish();
        }
    };

    session.LookAtBoxes([&](const ScriptPrompts::Box& box) {
        if (box.text == fenwick::texts::kUpgradeSuccessful) {
            end({true, {}});
        } else if (box.text == fenwick::texts::kUpgradeFail &&
                   box.caption == fenwick::texts::kCaptionUpgradeResult) {
            end({false, QString(texts::kUpgradeNotConfirmed)});
        } else if (box.icon != UserPrompts::Icon::Information) {
            lastProblem = box.text;
        }
    });
    session.SelectDiscovered(row);
    if (!core.ChooseForUpgrade()) {
        session.LookAtBoxes({});
        return Failed(lastProblem);
    }

    UpgradeStart& start = core.Upgrade();
    TftpTransfer& transfer = start.Transfer();
    UpgradeProgress progress(shownName);
    bool completed = false;
    // Every connection below ends with this object, before the next device's run.
    QObject watcher;
    QObject::connect(&start, &UpgradeStart::upgradeStateChanged, &watcher,
                     [&lastProblem](const QString& text) {
                         if (text == fenwick::texts::kTriggerFail) {
                             lastProblem = QString(texts::kUpgradeTriggerFailed);
                         }
                     });
    // After the trigger's wait and after a transfer, once the core has done what follows them:
    // neither running and no confirmation begun is an upgrade that ended short, told already
    // (an unacknowledged trigger, a transfer that could not start or failed).
    auto checkEnded = [&] {
        QTimer::singleShot(0, &watcher, [&] {
            if (!completed && !start.Busy()) {
                end(Failed(lastProblem));
            }
        });
    };
    QObject::connect(&start, &UpgradeStart::waitingChanged, &watcher, [&](bool waiting) {
        if (!waiting) {
            checkEnded();
        }
    });
    QObject::connect(&transfer, &TftpTransfer::progressChanged, &watcher,
                     [&progress](quint32 sent, quint32 size) { progress.Show(sent, size); });
    QObject::connect(&transfer, &TftpTransfer::upgradeStateChanged, &watcher,
                     [&lastProblem](const QString& text) {
                         if (TellsATransferFailure(text)) {
                             lastProblem = text;
                         }
                     });
    QObject::connect(&transfer, &TftpTransfer::transferEnded, &watcher, [&](bool done) {
        completed = done;
        if (done) {
            QTimer::singleShot(kConfirmationLimitMilliseconds, &watcher, [&] {
                end(Failed(lastProblem.isEmpty() ? QString(texts::kUpgradeNotConfirmed)
                                                 : lastProblem));
            });
        }
    });
    QObject::connect(&transfer, &TftpTransfer::runningChanged, &watcher, [&](bool running) {
        if (!running) {
            checkEnded();
        }
    });

    transfer.ResetTransferState();
    start.OnStart(password, imagePath);
    if (!start.Busy()) {
        end(Failed(lastProblem)); // refused at "Start"; said
    }
    session.RunUntilFinished(-1);
    session.LookAtBoxes({});
    return result.value_or(Failed(lastProblem));
}

} // namespace fenwick::ctl
