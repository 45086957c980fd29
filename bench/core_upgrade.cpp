// Upgrades through the core alone, the baseline of bench/ctl-upgrade: the same steps as
// `fenwickctl upgrade` (one discovery and its wait, then for each device in turn the Discovery
// List row selected, "Firmware upgrade", "Start" with the password and the image, and the wait
// for the confirmation's box) on the same real sockets and timers, without the command line,
// its output or its session around them. Prints one line per device, "IP ok|failed SECONDS",
// timed as fenwickctl times its devices; exits 1 when a device failed.
//
// Runs inside the lab's manager namespace (it opens real sockets): see bench/README.md.
//   FENWICK_PASSWORD=... core_upgrade --cfg DIR --image PATH [--wait SECONDS] IP...
#include "core/app/manager_core.h"
#include "core/firmware/firmware_texts.h"
#include "core/firmware/tftp_transfer.h"
#include "core/firmware/upgrade_start.h"
#include "core/lists/device_columns.h"
#include "platform/desktop_launcher.h"
#include "platform/posix_datagram_socket.h"
#include "platform/qt_timers.h"
#include "platform/system_clock.h"
#include "platform/system_local_addresses.h"
#include "printed_prompts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

using namespace fenwick;

constexpr int kIpColumn = ColumnOf(kDiscoveryFields, DeviceField::Ip);
// Far beyond an upgrade's 21 s or so: a device that never tells its result fails.
constexpr int kDeviceLimitMilliseconds = 180000;

struct Options {
    QString cfg;
    QString image;
    int waitSeconds = 2; // fenwickctl's default wait
    QStringList devices;
};

std::optional<Options> ReadOptions(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool valued = i + 1 < arguments.size();
        if (argument == QLatin1String("--cfg") && valued) {
            options.cfg = arguments[++i];
        } else if (argument == QLatin1String("--image") && valued) {
            options.image = arguments[++i];
        } else if (argument == QLatin1String("--wait") && valued) {
            bool number = false;
            options.waitSeconds = arguments[++i].toInt(&number);
            if (!number || options.waitSeconds < 1) {
                return std::nullopt;
            }
        } else if (argument.startsWith(u'-')) {
            return std::nullopt;
        } else {
            options.devices.append(argument);
        }
    }
    if (options.cfg.isEmpty() || options.image.isEmpty() || options.devices.isEmpty()) {
        return std::nullopt;
    }
    return options;
}

// The event loop of one wait: runs until Stop() or for a limit.
class Wait {
public:
    void Run(int milliseconds) {
        if (stopped_) {
            return; // stopped before it began
        }
        // Precise, as fenwickctl's waits are: the two must wait alike to be compared.
        QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop_, &QEventLoop::quit);
        loop_.exec();
    }
    void Stop() {
        stopped_ = true;
        loop_.quit();
    }

private:
    QEventLoop loop_;
    bool stopped_ = false;
};

class CoreUpgrades {
public:
    CoreUpgrades(const Options& options, const QString& password)
        : options_(options), password_(password),
          core_(*state_,
                {prompts_, sockets_, timers_, clock_, launcher_, localAddresses_, prompts_},
                {options.cfg, {}}, QStringLiteral("core_upgrade")) {}
    ~CoreUpgrades() { core_.Shutdown(); }
    CoreUpgrades(const CoreUpgrades&) = delete;
    CoreUpgrades& operator=(const CoreUpgrades&) = delete;

    bool Start() { return core_.StartForCommands() == ManagerCore::CommandStart::Ready; }

    bool Discover() {
        if (!core_.Discovery()) {
            return false;
        }
        Wait answers;
        answers.Run(options_.waitSeconds * 1000);
        return true;
    }

    // One device, from finding its row to the confirmation's box; true when it told success.
    bool Upgrade(const QString& ip) {
        std::optional<int> row = core_.DiscoveryList().FindRow(kIpColumn, ip);
        if (!row && Discover()) { // not in the list the last confirmation left
            row = core_.DiscoveryList().FindRow(kIpColumn, ip);
        }
        if (!row) {
            std::fprintf(stderr, "%s did not answer the discovery\n", qPrintable(ip));
            return false;
        }
        core_.MonitorSelection().DeselectAll();
        core_.DiscoverySelection().DeselectAll();
        core_.DiscoverySelection().SelectRow(*row);
        if (!core_.ChooseForUpgrade()) {
            return false;
        }

        Wait result;
        bool ok = false;
        prompts_.shown = [&](const QString& text, const QString& caption) {
            if (caption != texts::kCaptionUpgradeResult) {
                return;
            }
            ok = text == texts::kUpgradeSuccessful;
            if (ok || text == texts::kUpgradeFail) {
                result.Stop();
            }
        };
        UpgradeStart& start = core_.Upgrade();
        TftpTransfer& transfer = start.Transfer();
        QObject watcher; // the connections below end with this device
        QObject::connect(&start, &UpgradeStart::upgradeStateChanged, &watcher,
                         [&](const QString& text) {
                             if (text == texts::kTriggerFail) {
                                 std::fprintf(stderr, "%s\n", qPrintable(text));
                                 result.Stop();
                             }
                         });
        QObject::connect(
            &transfer, &TftpTransfer::upgradeStateChanged, &watcher, [&](const QString& text) {
                if (text.startsWith(texts::kUpgradeFail) || text == texts::kDeviceNotFound) {
                    std::fprintf(stderr, "%s\n", qPrintable(text));
                    result.Stop();
                }
            });
        QObject::connect(&transfer, &TftpTransfer::transferEnded, &watcher, [&](bool completed) {
            if (!completed) {
                result.Stop(); // the device's error packet: told in a box
            }
        });

        transfer.ResetTransferState();
        start.OnStart(password_, options_.image);
        if (start.Busy()) {
            result.Run(kDeviceLimitMilliseconds);
        }
        prompts_.shown = nullptr;
        return ok;
    }

private:
    const Options& options_;
    const QString password_;
    bench::PrintedPrompts prompts_;
    std::unique_ptr<ProgramState> state_ = std::make_unique<ProgramState>(); // large tables
    SystemLocalAddresses localAddresses_;
    PosixDatagramSocketFactory sockets_{localAddresses_};
    QtTimers timers_;
    SystemClock clock_;
    DesktopLauncher launcher_;
    ManagerCore core_;
};

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication app(argc, argv);
    const std::optional<Options> options = ReadOptions(QCoreApplication::arguments().mid(1));
    const QString password = qEnvironmentVariable("FENWICK_PASSWORD");
    if (!options || password.isEmpty()) {
        std::fprintf(stderr, "usage: FENWICK_PASSWORD=... core_upgrade --cfg DIR --image PATH "
                             "[--wait SECONDS] IP...\n");
        return 2;
    }
    CoreUpgrades upgrades(*options, password);
    if (!upgrades.Start() || !upgrades.Discover()) {
        return 1;
    }
    bool allOk = true;
    for (const QString& ip : options->devices) {
        QElapsedTimer clock;
        clock.start();
        const bool ok = upgrades.Upgrade(ip);
        std::printf("%s %s %.3f\n", qPrintable(ip), ok ? "ok" : "failed",
                    static_cast<double>(clock.elapsed()) / 1000.0);
        std::fflush(stdout);
        allOk = allOk && ok;
    }
    return allOk ? 0 : 1;
}
