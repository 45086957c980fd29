// Discovery burst benchmark: presses "Discovery" against many simulated switches that answer
// within a millisecond of each other, optionally keeps the program busy while the burst
// arrives, and reports per run how many rows the Discovery List shows, the time from the
// request to the last row, and the CPU time used. Runs the sized receive buffer and the
// system's default side by side, alternating, so the two are compared under the same load.
//
// Runs inside the lab's manager namespace (it opens real sockets): see bench/README.md.
#include "core/app/manager_core.h"
#include "platform/desktop_launcher.h"
#include "platform/posix_datagram_socket.h"
#include "platform/qt_timers.h"
#include "platform/system_clock.h"
#include "platform/system_local_addresses.h"
#include "printed_prompts.h"
#include "process_usage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using fenwick::ManagerCore;

using fenwick::bench::CpuSeconds;
using fenwick::bench::PrintedPrompts;

struct RunResult {
    int rows = 0;
    double lastRowMs = 0;
    double cpuMs = 0;
};

RunResult RunOnce(ManagerCore& core, int expected, int busyMs) {
    RunResult result;
    QElapsedTimer sinceRequest;
    qint64 lastRowNs = 0;
    const auto connection =
        QObject::connect(&core.DiscoveryList(), &QAbstractItemModel::rowsInserted,
                         [&] { lastRowNs = sinceRequest.nsecsElapsed(); });
    const double cpuBefore = CpuSeconds();
    sinceRequest.start();
    core.Discovery();
    double busyCpu = 0;
    if (busyMs > 0) {
        // Busy on the event-loop thread: nothing reads the sockets meanwhile. Its CPU time is
        // not the program's handling of the burst, so it is left out of the figure.
        const double busyStart = CpuSeconds();
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < busyMs) {
        }
        busyCpu = CpuSeconds() - busyStart;
    }
    // Wait until every switch is listed, or until nothing new came for a while.
    QEventLoop loop;
    QTimer poll;
    qint64 lastCount = -1;
    QElapsedTimer quiet;
    quiet.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const int rows = core.DiscoveryList().RowCount();
        if (rows != lastCount) {
            lastCount = rows;
            quiet.restart();
        }
        if (rows >= expected || quiet.elapsed() > 1000) {
            loop.quit();
        }
    });
    poll.start(5);
    loop.exec();
    result.cpuMs = (CpuSeconds() - cpuBefore - busyCpu) * 1000.0;
    result.rows = core.DiscoveryList().RowCount();
    result.lastRowMs = static_cast<double>(lastRowNs) / 1e6;
    QObject::disconnect(connection);
    return result;
}

struct Config {
    QString cfg;
    int runs = 20;
    int expected = 256;
    int busyMs = 0;
};

void Report(const char* label, const std::vector<RunResult>& results, int expected) {
    int complete = 0;
    int fewest = expected;
    double totalRows = 0, totalLast = 0, totalCpu = 0, worstLast = 0;
    for (const RunResult& r : results) {
        complete += r.rows >= expected ? 1 : 0;
        fewest = std::min(fewest, r.rows);
        totalRows += r.rows;
        totalLast += r.lastRowMs;
        totalCpu += r.cpuMs;
        worstLast = std::max(worstLast, r.lastRowMs);
    }
    const double n = static_cast<double>(results.size());
    std::printf("%-16s complete %d/%zu runs, rows mean %.1f min %d of %d, last row mean %.2f ms "
                "max %.2f ms, CPU (without the busy wait) mean %.2f ms\n",
                label, complete, results.size(), totalRows / n, fewest, expected, totalLast / n,
                worstLast, totalCpu / n);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Config config;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* option = argv[i];
        const char* value = argv[i + 1];
        if (std::strcmp(option, "--cfg") == 0) {
            config.cfg = QString::fromLocal8Bit(value);
        } else if (std::strcmp(option, "--runs") == 0) {
            config.runs = std::atoi(value);
        } else if (std::strcmp(option, "--switches") == 0) {
            config.expected = std::atoi(value);
        } else if (std::strcmp(option, "--busy-ms") == 0) {
            config.busyMs = std::atoi(value);
        } else {
            std::fprintf(stderr, "unknown option %s\n", option);
            return 2;
        }
    }
    if (config.cfg.isEmpty()) {
        std::fprintf(stderr, "usage: %s --cfg DIR [--runs N] [--switches N] [--busy-ms MS]\n",
                     argv[0]);
        return 2;
    }

    PrintedPrompts prompts;
    fenwick::QtTimers timers;
    fenwick::SystemClock clock;
    fenwick::DesktopLauncher launcher;
    fenwick::SystemLocalAddresses localAddresses;
    fenwick::PosixDatagramSocketFactory sized(localAddresses);
    fenwick::PosixDatagramSocketFactory systemDefault(localAddresses, 0);
    std::vector<RunResult> sizedResults, defaultResults;
    // Each run starts a fresh core; the two kinds alternate so that both meet the same load.
    const auto measure = [&](fenwick::DatagramSocketFactory& sockets) {
        auto state = std::make_unique<fenwick::ProgramState>();
        ManagerCore core(*state,
                         {prompts, sockets, timers, clock, launcher, localAddresses, prompts},
                         {config.cfg, {}}, QStringLiteral("fenwick"));
        core.Initialise();
        const RunResult result = RunOnce(core, config.expected, config.busyMs);
        core.Shutdown();
        return result;
    };
    for (int run = 0; run < config.runs; ++run) {
        sizedResults.push_back(measure(sized));
        defaultResults.push_back(measure(systemDefault));
    }
    std::printf("%d switches, %d runs each, busy %d ms after the request\n", config.expected,
                config.runs, config.busyMs);
    // What the kernel granted (it doubles a request for its bookkeeping).
    for (auto [label, factory] :
         {std::pair{"sized buffer", &sized}, std::pair{"default buffer", &systemDefault}}) {
        const auto socket = factory->Create();
        std::printf("%-16s receive buffer granted: %d bytes\n", label,
                    static_cast<fenwick::PosixDatagramSocket&>(*socket).ReceiveBufferSize());
    }
    Report("sized buffer", sizedResults, config.expected);
    Report("default buffer", defaultResults, config.expected);
    return 0;
}
