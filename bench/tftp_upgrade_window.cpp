// The upgrade through the real window, for the tftp-upgrade benchmark: the whole program (main
// window, core, POSIX sockets) on the display it is given, with accessibility on when the
// desktop has it. It discovers the lab, selects the switch, opens "Firmware upgrade", types the
// image and the password and presses "Start", as an operator would; the switch acknowledges
// the trigger and the transfer follows. Prints the wall time in microseconds and the CPU time
// in milliseconds (the whole process, every thread) from the transfer's first packet to the
// final acknowledgement, as tftp_upgrade_client does for the transfer alone; exits 1 when the
// upgrade did not get that far, or when the window does not show the finished transfer.
//
// Runs inside the lab's manager namespace (it opens real sockets): see bench/README.md.
//   tftp_upgrade_window CFG SWITCH_IP IMAGE [PASSWORD]
#include "app/fenwick_program.h"
#include "core/firmware/tftp_transfer.h"
#include "core/firmware/upgrade_start.h"
#include "core/lists/device_columns.h"
#include "fenwick-switch/value_text.h"
#include "printed_prompts.h"
#include "process_usage.h"
#include "support/shown_program.h"
#include "support/wait_until.h"
#include "windows/firmware_upgrade_dlg.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <optional>

namespace fenwick::bench {
namespace {

constexpr int kLimitMilliseconds = 600000;

using testing::WaitUntil;

template <typename Widget> Widget* Named(QWidget& window, const QString& name) {
    for (Widget* widget : window.findChildren<Widget*>()) {
        if (widget->accessibleName() == name) {
            return widget;
        }
    }
    std::fprintf(stderr, "no \"%s\" in %s\n", qPrintable(name), qPrintable(window.windowTitle()));
    return nullptr;
}

CFirmwareUpgradeDlg* OpenUpgradeWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<CFirmwareUpgradeDlg*>(widget);
            found != nullptr && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

// What the upgrade cost the program, from the transfer's first packet to its final
// acknowledgement.
struct Figures {
    QElapsedTimer wall;
    double cpuAtStart = 0;
    qint64 wallUs = 0;
    double cpuMs = 0;
    bool acknowledged = false;
};

int Upgrade(FenwickProgram& program, const QString& ip, const QString& image,
            const QString& password) {
    QWidget& window = program.Window();
    ManagerCore& core = program.Core();
    QAbstractButton* discovery = Named<QAbstractButton>(window, QStringLiteral("Discovery"));
    QAbstractButton* upgrade = Named<QAbstractButton>(window, QStringLiteral("Firmware upgrade"));
    if (discovery == nullptr || upgrade == nullptr) {
        return 1;
    }
    discovery->click();
    std::optional<int> row;
    if (!WaitUntil(
            [&] {
                row = core.DiscoveryList().FindRow(ColumnOf(kDiscoveryFields, DeviceField::Ip), ip);
                return row.has_value();
            },
            10000)) {
        std::fprintf(stderr, "the switch %s was not discovered\n", qPrintable(ip));
        return 1;
    }
    core.DiscoverySelection().SelectRow(*row);
    upgrade->click();
    CFirmwareUpgradeDlg* dialog = OpenUpgradeWindow();
    if (dialog == nullptr) {
        std::fprintf(stderr, "the upgrade window did not open\n");
        return 1;
    }
    QLineEdit* path = Named<QLineEdit>(*dialog, QStringLiteral("Firmware Path"));
    QLineEdit* secret = Named<QLineEdit>(*dialog, QStringLiteral("Password"));
    QAbstractButton* start = Named<QAbstractButton>(*dialog, QStringLiteral("Start"));
    QProgressBar* bar = dialog->findChild<QProgressBar*>();
    if (path == nullptr || secret == nullptr || start == nullptr || bar == nullptr) {
        return 1;
    }
    path->setText(image);
    secret->setText(password);

    Figures figures;
    QString said;  // the last state shown, to say why an upgrade stopped short
    QObject scope; // the connections below end with this function
    TftpTransfer& transfer = core.Tftp();
    QObject::connect(&transfer, &TftpTransfer::runningChanged, &scope, [&](bool running) {
        if (running) {
            figures.cpuAtStart = CpuSeconds();
            figures.wall.start();
        }
    });
    QObject::connect(&transfer, &TftpTransfer::finalAcknowledged, &scope, [&] {
        figures.wallUs = figures.wall.nsecsElapsed() / 1000;
        figures.cpuMs = (CpuSeconds() - figures.cpuAtStart) * 1000.0;
        figures.acknowledged = true;
    });
    const auto remember = [&](const QString& text) { said = text; };
    QObject::connect(&transfer, &TftpTransfer::upgradeStateChanged, &scope, remember);
    QObject::connect(&core.Upgrade(), &UpgradeStart::upgradeStateChanged, &scope, remember);
    // Waits for the final acknowledgement, or for the end of an upgrade that stopped short (it
    // is busy from "Start", through the trigger's wait and the transfer, until it ends). Looked
    // at ten times a second only, so that the wait itself costs the transfer nothing.
    QEventLoop loop;
    QObject::connect(&transfer, &TftpTransfer::finalAcknowledged, &loop, &QEventLoop::quit);
    QTimer ended;
    QObject::connect(&ended, &QTimer::timeout, &loop, [&] {
        if (!core.Upgrade().Busy()) {
            loop.quit();
        }
    });
    ended.start(100);
    QTimer::singleShot(kLimitMilliseconds, &loop, &QEventLoop::quit);
    start->click();
    loop.exec();
    ended.stop();
    if (!figures.acknowledged) {
        std::fprintf(stderr, "the upgrade did not reach its final acknowledgement: %s\n",
                     qPrintable(said));
        return 1;
    }
    // What the operator sees once the last block is acknowledged: the whole image sent.
    if (!WaitUntil([&] { return bar->text() == QStringLiteral("100%"); }, 1000)) {
        std::fprintf(stderr, "the window shows %s, not 100%%, after the final acknowledgement\n",
                     qPrintable(bar->text()));
        return 1;
    }
    std::printf("%lld %.1f\n", static_cast<long long>(figures.wallUs), figures.cpuMs);
    return 0;
}

} // namespace
} // namespace fenwick::bench

int main(int argc, char* argv[]) {
    using namespace fenwick::bench;
    QApplication app(argc, argv);
    if (argc < 4 || argc > 5 || !fenwick::sim::ParseAddress(argv[2])) {
        std::fprintf(stderr, "usage: tftp_upgrade_window CFG SWITCH_IP IMAGE [PASSWORD]\n");
        return 2;
    }
    PrintedPrompts prompts;
    const std::unique_ptr<fenwick::FenwickProgram> program =
        fenwick::testing::ShowProgram(QString::fromLocal8Bit(argv[1]), &prompts);
    if (program == nullptr) {
        std::fprintf(stderr, "the main window did not come up\n");
        return 1;
    }
    // Asked for, the figures must include what the accessibility bus costs.
    if (qEnvironmentVariableIntValue("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") != 0 &&
        !WaitUntil([] { return QAccessible::isActive(); }, 5000)) {
        std::fprintf(stderr, "accessibility did not come on: is the accessibility bus running?\n");
        return 1;
    }
    return Upgrade(*program, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                   argc == 5 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("admin"));
}
