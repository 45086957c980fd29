// Trap storm benchmark: the real program (main window, core, POSIX sockets, offscreen) monitors
// every switch of the lab; then the switches send traps: bursts in which every switch sends one
// trap at the same instant, and storms at rising rates for a fixed time. For each it reports
// the traps sent (the switches' count), logged (trap lines in syslog.log), stored (TrapCount)
// and lost, the program's CPU time, and the delay of a click on the main window during the
// storm beside the same delay with the program idle; and the highest rate at which none was
// lost, and the peak resident set with every switch monitored, then with a full trap table.
//
// Runs inside the lab's manager namespace (it opens real sockets): see bench/README.md.
// Before trap reception exists in the program it says so and exits 0: a single test trap from
// a monitored switch leaves no line in syslog.log then.
#include "app/fenwick_program.h"
#include "click_probe.h"
#include "error_flood.h"
#include "fenwick-switch/switch_control.h"
#include "process_usage.h"
#include "stored_traps.h"
#include "storm_figures.h"
#include "support/shown_program.h"
#include "support/wait_until.h"
#include "trap_log_reader.h"
#include "udp_drops.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace fenwick::bench {
namespace {

// Message boxes are printed and counted; questions are answered No, so that nothing is
// deleted or overwritten by the benchmark's clicks.
class BenchPrompts final : public UserPrompts {
public:
    Answer MessageBox(const QString& text, const QString& caption, Icon, Buttons buttons) override {
        ++boxes;
        if (boxes <= 5) {
            std::fprintf(stderr, "message box [%s] %s\n", qPrintable(caption), qPrintable(text));
        }
        switch (buttons) {
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::OkCancel:
            return Answer::Cancel;
        case Buttons::Ok:
            break;
        }
        return Answer::Ok;
    }
    QString SaveFileName(const QString&, const QString&) override { return {}; }
    QString OpenFileName(const QString&, const QString&) override { return {}; }

    int boxes = 0;
};

struct Options {
    QString cfg;
    std::string control;
    int switches = 256;
    std::uint32_t seconds = 10;
    std::vector<std::uint32_t> rates = {1000, 2000, 5000, 10000, 20000, 50000, 100000};
    int bursts = 5;
    int errorFloodRuns = 0; // the error flood instead, so many runs
};

using testing::WaitUntil;

// The first of the lab's switches.
std::string FirstLabSwitch() {
    const char* switches = std::getenv("FENWICK_LAB_SWITCHES");
    return switches ? std::string(switches).substr(0, std::string(switches).find(' '))
                    : std::string();
}

// Runs the event loop until the log has stopped growing for `quietMs` (the program has caught
// up with what arrived), or at most `limitMs`. Returns when, on `since`, it last grew, in
// seconds.
double WaitForQuietLog(const TrapLogReader& log, const QElapsedTimer& since, int quietMs,
                       int limitMs) {
    std::int64_t size = log.FileSize();
    qint64 lastGrowth = since.elapsed();
    WaitUntil(
        [&] {
            const std::int64_t now = log.FileSize();
            if (now != size) {
                size = now;
                lastGrowth = since.elapsed();
            }
            return since.elapsed() - lastGrowth >= quietMs;
        },
        limitMs);
    return static_cast<double>(lastGrowth) / 1000.0;
}

QAbstractButton* FindButton(QWidget& window, const QString& name) {
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->accessibleName() == name) {
            return button;
        }
    }
    std::fprintf(stderr, "no button \"%s\" in the main window\n", qPrintable(name));
    return nullptr;
}

// Clicks sampled `every` ms for `count` clicks while the program is idle.
std::vector<double> IdleClicks(ClickProbe& probe, int count, int every) {
    for (int i = 0; i < count; ++i) {
        probe.Post();
        WaitUntil([] { return false; }, every);
    }
    return probe.TakeSamples();
}

std::uint64_t Number(const std::string& text) {
    std::uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string CountText(std::optional<std::int64_t> count) {
    return count ? std::to_string(*count) : std::string("n/a");
}

std::int64_t Difference(std::int64_t after, std::int64_t before) {
    return after < 0 || before < 0 ? -1 : after - before;
}

struct CaseResult {
    std::string name;
    std::uint64_t sent = 0;
    std::uint64_t logged = 0;
    std::int64_t stored = -1;      // -1: not known
    std::int64_t kernelDrops = -1; // datagrams dropped for a full receive buffer; -1: unknown
    double cpuSeconds = 0;
    double wallSeconds = 0;
    LatencySummary clicks;
    std::optional<StormFigures> storm;

    std::int64_t Lost() const {
        return static_cast<std::int64_t>(sent) - static_cast<std::int64_t>(logged);
    }
};

class TrapStormBench {
public:
    TrapStormBench(Options options, FenwickProgram& program, BenchPrompts& prompts)
        : options_(std::move(options)), program_(program), prompts_(prompts),
          control_(options_.control), log_(options_.cfg + QStringLiteral("/syslog.log")) {}

    int Run();

private:
    bool MonitorEverySwitch();
    enum class Reception { Works, Missing, Unknown };
    Reception CheckTrapReception();
    CaseResult Burst(int run);
    CaseResult Storm(std::uint32_t rate);
    std::optional<std::int64_t> TrapCount() { return StoredTrapCount(program_.Core().State()); }
    // Traps stored since `before`, or -1 when the program keeps no count.
    std::int64_t StoredSince(std::optional<std::int64_t> before) {
        const auto now = TrapCount();
        return now && before ? *now - *before : -1;
    }
    void PrintCase(const CaseResult& result) const;

    Options options_;
    FenwickProgram& program_;
    BenchPrompts& prompts_;
    sim::SwitchControl control_;
    TrapLogReader log_;
    QAbstractButton* deleteItem_ = nullptr;
    std::unique_ptr<ClickProbe> probe_;
    LatencySummary idle_;
};

bool TrapStormBench::MonitorEverySwitch() {
    QWidget& window = program_.Window();
    QAbstractButton* discovery = FindButton(window, QStringLiteral("Discovery"));
    QAbstractButton* add = FindButton(window, QStringLiteral("Add to monitor list"));
    deleteItem_ = FindButton(window, QStringLiteral("Delete item"));
    if (discovery == nullptr || add == nullptr || deleteItem_ == nullptr) {
        return false;
    }
    ManagerCore& core = program_.Core();
    discovery->click();
    WaitUntil([&] { return core.DiscoveryList().RowCount() >= options_.switches; }, 10000);
    for (int row = 0; row < core.DiscoveryList().RowCount(); ++row) {
        core.DiscoverySelection().SelectRow(row);
    }
    add->click();
    core.MonitorSelection().DeselectAll();
    const int monitored = core.MonitorList().RowCount();
    std::printf("monitored: %d of %d switches\n", monitored, options_.switches);
    return monitored > 0;
}

TrapStormBench::Reception TrapStormBench::CheckTrapReception() {
    // The first of the lab's switches, all of which are monitored now.
    const std::string ip = FirstLabSwitch();
    const std::string text = "fenwick-bench reception check";
    if (ip.empty() || !control_.Run("trap " + ip + " " + text)) {
        std::fprintf(stderr, "could not have a switch send a test trap\n");
        return Reception::Unknown;
    }
    const bool logged = WaitUntil(
        [&] {
            log_.Update();
            return log_.Contains(text);
        },
        3000);
    return logged ? Reception::Works : Reception::Missing;
}

CaseResult TrapStormBench::Burst(int run) {
    CaseResult result;
    result.name = "burst " + std::to_string(run);
    const std::string prefix = "burst-" + std::to_string(run);
    const std::optional<std::int64_t> before = TrapCount();
    const std::int64_t drops = UdpReceiveBufferDrops();
    const double cpu = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    if (const auto answer = control_.Run("trap-burst " + prefix)) {
        result.sent = Number(*answer); // "256 traps"
    }
    result.wallSeconds = WaitForQuietLog(log_, wall, 1000, 10000);
    result.cpuSeconds = CpuSeconds() - cpu;
    result.kernelDrops = Difference(UdpReceiveBufferDrops(), drops);
    log_.Update();
    result.logged = log_.Numbered(prefix);
    result.stored = StoredSince(before);
    return result;
}

CaseResult TrapStormBench::Storm(std::uint32_t rate) {
    CaseResult result;
    result.name = std::to_string(rate) + "/s";
    const std::string prefix = "storm-" + std::to_string(rate);
    const std::optional<std::int64_t> before = TrapCount();
    const std::int64_t drops = UdpReceiveBufferDrops();
    const double cpu = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    if (!control_.Run("trap-rate " + std::to_string(rate) + " " + std::to_string(options_.seconds) +
                      " " + prefix)) {
        return result;
    }
    // Clicks every 100 ms while the storm lasts; the switches' stats tell when it is over.
    QEventLoop loop;
    QTimer clicks;
    QObject::connect(&clicks, &QTimer::timeout, [&] { probe_->Post(); });
    clicks.start(100);
    QTimer stats;
    QObject::connect(&stats, &QTimer::timeout, [&] {
        const auto answer = control_.Run("stats");
        const auto figures = answer ? ParseStormFigures(*answer) : std::nullopt;
        if (!figures || figures->state != "running") {
            loop.quit();
        }
    });
    stats.start(250);
    QTimer::singleShot(static_cast<int>(options_.seconds) * 3000 + 5000, &loop, &QEventLoop::quit);
    loop.exec();
    clicks.stop();
    stats.stop();
    // The program may still be behind: let it catch up before counting.
    result.wallSeconds = WaitForQuietLog(log_, wall, 1000, 60000);
    result.cpuSeconds = CpuSeconds() - cpu;
    result.kernelDrops = Difference(UdpReceiveBufferDrops(), drops);
    result.clicks = Summarise(probe_->TakeSamples());
    if (const auto answer = control_.Run("stats")) {
        result.storm = ParseStormFigures(*answer);
    }
    result.sent = result.storm ? result.storm->sent : 0;
    log_.Update();
    result.logged = log_.Numbered(prefix);
    result.stored = StoredSince(before);
    return result;
}

void TrapStormBench::PrintCase(const CaseResult& r) const {
    const double perTrapUs =
        r.logged > 0 ? r.cpuSeconds * 1e6 / static_cast<double>(r.logged) : 0.0;
    // Wall time: from the request to the last line the program logged.
    std::printf("%-10s sent %7llu  logged %7llu  stored %7s  lost %6lld (kernel drops %lld)  CPU "
                "%6.2f s (%5.1f%% of %.2f s, %6.1f us a trap)",
                r.name.c_str(), static_cast<unsigned long long>(r.sent),
                static_cast<unsigned long long>(r.logged),
                CountText(r.stored < 0 ? std::nullopt : std::optional(r.stored)).c_str(),
                static_cast<long long>(r.Lost()), static_cast<long long>(r.kernelDrops),
                r.cpuSeconds, r.wallSeconds > 0 ? 100.0 * r.cpuSeconds / r.wallSeconds : 0.0,
                r.wallSeconds, perTrapUs);
    if (r.clicks.count > 0) {
        std::printf("  click median %.2f ms (x%.1f idle) p95 %.2f max %.2f of %zu", r.clicks.median,
                    idle_.median > 0 ? r.clicks.median / idle_.median : 0.0, r.clicks.p95,
                    r.clicks.max, r.clicks.count);
    }
    if (r.storm) {
        std::printf("  [switches: %.0f/s over %.2f s, late max %.1f ms, send failures %llu]",
                    r.storm->elapsedMs > 0
                        ? static_cast<double>(r.storm->sent) * 1000.0 / r.storm->elapsedMs
                        : 0.0,
                    r.storm->elapsedMs / 1000.0, r.storm->lateMaxMs,
                    static_cast<unsigned long long>(r.storm->failed));
    }
    std::printf("\n");
    std::fflush(stdout);
}

int TrapStormBench::Run() {
    if (!MonitorEverySwitch()) {
        return 1;
    }
    const double rssMonitored = PeakRssMiB();
    std::printf("peak RSS with the monitor list: %.1f MiB\n", rssMonitored);
    switch (CheckTrapReception()) {
    case Reception::Works:
        break;
    case Reception::Missing:
        std::printf("a test trap from a monitored switch left no line in syslog.log within 3 s; "
                    "nothing to measure\n");
        return 1;
    case Reception::Unknown:
        return 1;
    }
    probe_ = std::make_unique<ClickProbe>(*deleteItem_);
    const double idleCpu = CpuSeconds();
    QElapsedTimer idleWall;
    idleWall.start();
    idle_ = Summarise(IdleClicks(*probe_, 40, 50));
    std::printf("idle: CPU %.1f%% of %.1f s; click median %.3f ms p95 %.3f max %.3f of %zu\n",
                100.0 * (CpuSeconds() - idleCpu) * 1000.0 / static_cast<double>(idleWall.elapsed()),
                static_cast<double>(idleWall.elapsed()) / 1000.0, idle_.median, idle_.p95,
                idle_.max, idle_.count);

    std::printf("\nbursts: every switch sends one trap at the same instant\n");
    bool burstLoss = false;
    for (int run = 1; run <= options_.bursts; ++run) {
        const CaseResult result = Burst(run);
        burstLoss = burstLoss || result.Lost() != 0 || result.sent == 0;
        PrintCase(result);
    }

    // A full trap table before the storms, so that its peak RSS is that of the table alone.
    const int monitored = std::max(program_.Core().MonitorList().RowCount(), 1);
    const int fills = static_cast<int>(kFullTrapTable) / monitored + 2;
    for (int fill = 1; TrapCount().value_or(0) < kFullTrapTable && fill <= fills; ++fill) {
        control_.Run("trap-burst fill-" + std::to_string(fill));
        QElapsedTimer since;
        since.start();
        WaitForQuietLog(log_, since, 500, 10000);
    }
    const double rssFullTable = PeakRssMiB();
    std::printf("\npeak RSS with the monitor list and TrapCount %s: %.1f MiB\n",
                CountText(TrapCount()).c_str(), rssFullTable);

    std::printf("\nstorms: %u s each, rising rates, taken in turn from every switch\n",
                options_.seconds);
    std::uint32_t sustained = 0;
    bool lossSeen = false;
    for (const std::uint32_t rate : options_.rates) {
        const CaseResult result = Storm(rate);
        PrintCase(result);
        if (result.sent == 0 || result.Lost() != 0) {
            lossSeen = true;
            break;
        }
        sustained = rate;
    }

    const std::optional<std::int64_t> stored = TrapCount();
    const double rssAfter = PeakRssMiB();
    std::printf("\nsummary\n");
    std::printf("bursts of %d: %s\n", options_.switches,
                burstLoss ? "traps LOST (see above)" : "none lost");
    if (sustained == 0) {
        std::printf("highest rate with none lost: none of the rates tried\n");
    } else {
        std::printf("highest rate with none lost: %u/s%s\n", sustained,
                    lossSeen ? "" : " (the highest tried; try higher with --rates)");
    }
    std::printf("TrapCount %s (%s)\n", CountText(stored).c_str(),
                !stored                     ? "not available"
                : *stored >= kFullTrapTable ? "trap table full"
                                            : "trap table NOT full");
    std::printf("peak RSS: %.1f MiB with the monitor list, %.1f MiB with a full trap table "
                "(x%.2f), %.1f MiB after the storms (x%.2f)\n",
                rssMonitored, rssFullTable, rssFullTable / rssMonitored, rssAfter,
                rssAfter / rssMonitored);
    std::printf("message boxes: %d\n", prompts_.boxes);
    return 0;
}

std::vector<std::uint32_t> ParseRates(const char* text) {
    std::vector<std::uint32_t> rates;
    const char* p = text;
    const char* end = text + std::strlen(text);
    while (p < end) {
        std::uint32_t rate = 0;
        const auto [next, status] = std::from_chars(p, end, rate);
        if (status != std::errc{} || rate == 0) {
            return {};
        }
        rates.push_back(rate);
        p = next < end && *next == ',' ? next + 1 : next;
        if (next < end && *next != ',') {
            return {};
        }
    }
    return rates;
}

constexpr const char* kUsage =
    "usage: trap_storm --cfg DIR [--switches N] [--seconds S] [--rates R1,R2,...] [--bursts K]\n"
    "                  [--control PATH]   (default: $FENWICK_LAB_CONTROL)\n"
    "       trap_storm --cfg DIR --error-flood RUNS [--seconds S] [--rates R] [--control PATH]\n";

} // namespace
} // namespace fenwick::bench

int main(int argc, char** argv) {
    using namespace fenwick::bench;
    QApplication app(argc, argv);
    Options options;
    if (const char* control = std::getenv("FENWICK_LAB_CONTROL")) {
        options.control = control;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* option = argv[i];
        const char* value = argv[i + 1];
        if (std::strcmp(option, "--cfg") == 0) {
            options.cfg = QString::fromLocal8Bit(value);
        } else if (std::strcmp(option, "--switches") == 0) {
            options.switches = std::atoi(value);
        } else if (std::strcmp(option, "--seconds") == 0) {
            options.seconds = static_cast<std::uint32_t>(std::atoi(value));
        } else if (std::strcmp(option, "--rates") == 0) {
            options.rates = ParseRates(value);
        } else if (std::strcmp(option, "--bursts") == 0) {
            options.bursts = std::atoi(value);
        } else if (std::strcmp(option, "--control") == 0) {
            options.control = value;
        } else if (std::strcmp(option, "--error-flood") == 0) {
            options.errorFloodRuns = std::atoi(value);
        } else {
            std::fprintf(stderr, "unknown option %s\n%s", option, kUsage);
            return 2;
        }
    }
    if (options.cfg.isEmpty() || options.control.empty() || options.rates.empty() ||
        options.switches <= 0 || options.seconds == 0) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }

    if (options.errorFloodRuns > 0) {
        if (options.rates.size() != 1 || FirstLabSwitch().empty()) {
            std::fprintf(stderr, "the error flood takes one rate, inside the lab\n%s", kUsage);
            return 2;
        }
        // The real message boxes: the one the flood opens runs its own event loop, as it would
        // for an operator.
        const std::unique_ptr<fenwick::FenwickProgram> program =
            fenwick::testing::ShowProgram(options.cfg, nullptr);
        if (program == nullptr) {
            std::fprintf(stderr, "the main window did not come up\n");
            return 1;
        }
        const int status = RunErrorFlood({options.control, FirstLabSwitch(), options.errorFloodRuns,
                                          options.seconds, options.rates.front()});
        program->Window().close();
        return status;
    }
    BenchPrompts prompts;
    const std::unique_ptr<fenwick::FenwickProgram> program =
        fenwick::testing::ShowProgram(options.cfg, &prompts);
    if (program == nullptr) {
        std::fprintf(stderr, "the main window did not come up\n");
        return 1;
    }
    const int status = TrapStormBench(options, *program, prompts).Run();
    program->Window().close();
    return status;
}
