// The program's own TFTP write, run alone for the tftp-upgrade benchmark: the firmware transfer
// of the upgrade window over the real sockets and timers, from the write request to the final
// acknowledgement, without the trigger before it or the confirmation after it. Prints the
// wall time in microseconds and the CPU time in milliseconds it took; exits 1 when the
// transfer failed.
//
// Runs inside the lab's manager namespace (it opens real sockets): see bench/README.md.
//   tftp_upgrade_client SWITCH_IP IMAGE
#include "codec/device_record.h"
#include "core/app/manager_core.h"
#include "core/firmware/tftp_transfer.h"
#include "core/support/latin1.h"
#include "fenwick-switch/value_text.h"
#include "platform/desktop_launcher.h"
#include "platform/posix_datagram_socket.h"
#include "platform/qt_timers.h"
#include "platform/system_clock.h"
#include "platform/system_local_addresses.h"
#include "printed_prompts.h"
#include "process_usage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

using namespace fenwick;

constexpr int kLimitMilliseconds = 600000;

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const std::optional<std::uint32_t> device =
        argc == 3 ? sim::ParseAddress(argv[1]) : std::nullopt;
    if (!device) {
        std::fprintf(stderr, "usage: tftp_upgrade_client SWITCH_IP IMAGE\n");
        return 2;
    }
    QTemporaryDir folder;
    bench::PrintedPrompts prompts;
    SystemLocalAddresses localAddresses;
    PosixDatagramSocketFactory sockets(localAddresses);
    QtTimers timers;
    SystemClock clock;
    DesktopLauncher launcher;
    auto state = std::make_unique<ProgramState>();
    // The core is built but not started: no protocol socket is opened, only the transfer's.
    ManagerCore core(*state, {prompts, sockets, timers, clock, launcher, localAddresses, prompts},
                     {folder.path(), {}}, QStringLiteral("tftp_upgrade_client"));
    state->Upgrade.UpgradeTargetIp = *device;
    const QByteArray path = QFile::encodeName(QString::fromLocal8Bit(argv[2]));
    SetFieldText(state->Upgrade.FirmwarePath, TextView(path));
    TftpTransfer& transfer = core.Tftp();

    bool acknowledged = false;
    QObject::connect(&transfer, &TftpTransfer::finalAcknowledged, [&] {
        acknowledged = true;
        QCoreApplication::quit();
    });
    QObject::connect(&transfer, &TftpTransfer::upgradeStateChanged, [](const QString& text) {
        if (text.startsWith(QStringLiteral("Upgrade fail")) ||
            text == QStringLiteral("Device not found")) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
            QCoreApplication::quit();
        }
    });
    QObject::connect(&transfer, &TftpTransfer::transferEnded, [] { QCoreApplication::quit(); });
    QTimer::singleShot(kLimitMilliseconds, [] { QCoreApplication::quit(); });

    const double cpuBefore = bench::CpuSeconds();
    QElapsedTimer elapsed;
    elapsed.start();
    FirmwareImage image;
    if (image.Open(TextView(path)) != ImageOpening::Opened) {
        std::fprintf(stderr, "cannot use %s as an image\n", path.constData());
        return 1;
    }
    if (!transfer.StartTftpTransfer(std::move(image))) {
        return 1;
    }
    QCoreApplication::exec();
    const qint64 wallUs = elapsed.nsecsElapsed() / 1000;
    const double cpuMs = (bench::CpuSeconds() - cpuBefore) * 1000.0;
    if (!acknowledged) {
        return 1;
    }
    std::printf("%lld %.1f\n", static_cast<long long>(wallUs), cpuMs);
    return 0;
}
