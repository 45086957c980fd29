#include "error_flood.h"

#include "click_probe.h"
#include "fenwick-switch/switch_control.h"
#include "storm_figures.h"
#include "support/heartbeat.h"
#include "support/wait_until.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace fenwick::bench {
namespace {

constexpr int kBeatMs = 20;
// How long the end of a measurement (the storm's last traps, the box's closing) may take.
constexpr int kFinishLimitMs = 30000;

using testing::Heartbeat;
using testing::WaitUntil;

// Counts the message boxes the program shows and remembers the text of the last one.
class BoxWatch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (const auto* box = qobject_cast<QMessageBox*>(watched)) {
                ++shown;
                text = box->text();
            }
        }
        return false;
    }
    int shown = 0;
    QString text;
};

// Runs the event loop for `ms` with the heartbeat going, then until `finish` holds (looked at
// every 100 ms without the heartbeat); the worst gap, or -1 when `finish` never held.
// Timers, not the wait below, end the measurement: a box that the program opens meanwhile runs
// its own event loop inside the wait's, and the wait returns only once the box is closed.
double WorstGap(int ms, const std::function<bool()>& finish) {
    Heartbeat heartbeat;
    double worst = 0;
    bool finished = false;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (finish()) {
            poll.stop();
            finished = true;
        }
    });
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, [&] {
        worst = heartbeat.Stop();
        poll.start();
    });
    heartbeat.Start(kBeatMs);
    end.start(ms);
    WaitUntil([&] { return finished; }, ms + kFinishLimitMs);
    poll.stop();
    end.stop();
    heartbeat.Stop();
    return finished ? worst : -1;
}

// Closes the open message box with its OK button, as the operator back at the desk would.
void CloseTheBox() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else {
            box->reject();
        }
    }
}

} // namespace

int RunErrorFlood(const ErrorFloodOptions& options) {
    const sim::SwitchControl control(options.control);
    BoxWatch boxes;
    qApp->installEventFilter(&boxes);
    const int ms = static_cast<int>(options.seconds) * 1000;
    std::printf("error flood: %s sends %u error traps a second for %u s while their box stays "
                "open; the idle program for as long; the worst gap between heartbeats due every "
                "%d ms, %d runs\n",
                options.switchIp.c_str(), options.rate, options.seconds, kBeatMs, options.runs);
    std::vector<double> idle;
    std::vector<double> flood;
    bool whole = true;
    for (int run = 1; run <= options.runs; ++run) {
        const double idleGap = WorstGap(ms, [] { return true; });

        const int boxesBefore = boxes.shown;
        std::optional<StormFigures> storm;
        const bool started =
            control.Run("error " + options.switchIp + " 9") &&
            control.Run("trap-rate " + std::to_string(options.rate) + " " +
                        std::to_string(options.seconds) + " flood-" + std::to_string(run));
        const double floodGap =
            started ? WorstGap(ms,
                               [&] {
                                   const auto stats = control.Run("stats");
                                   storm = stats ? ParseStormFigures(*stats) : std::nullopt;
                                   if (storm && storm->state == "running") {
                                       return false;
                                   }
                                   CloseTheBox();
                                   return true;
                               })
                    : -1;
        control.Run("error " + options.switchIp + " 0");
        const int shown = boxes.shown - boxesBefore;
        const std::uint64_t planned = std::uint64_t{options.rate} * options.seconds;
        const bool measured = idleGap >= 0 && floodGap >= 0;
        const bool ok = measured && storm && storm->sent == planned && shown == 1;
        whole = whole && ok;
        if (measured) {
            idle.push_back(idleGap);
            flood.push_back(floodGap);
        }
        std::printf("run %d: worst gap idle %6.1f ms, flood %6.1f ms (x%.2f); traps sent %llu of "
                    "%llu, boxes %d [%s]%s\n",
                    run, idleGap, floodGap, measured && idleGap > 0 ? floodGap / idleGap : 0.0,
                    static_cast<unsigned long long>(storm ? storm->sent : 0),
                    static_cast<unsigned long long>(planned), shown, qPrintable(boxes.text),
                    ok ? "" : "  NOT MEASURED AS PLANNED");
        std::fflush(stdout);
    }
    qApp->removeEventFilter(&boxes);
    if (idle.empty()) {
        std::printf("no run measured\n");
        return 1;
    }
    const double idleMedian = Summarise(idle).median;
    const double floodMedian = Summarise(flood).median;
    std::printf("median worst gap over %zu runs: idle %.1f ms, flood %.1f ms; flood / idle x%.2f\n",
                idle.size(), idleMedian, floodMedian,
                idleMedian > 0 ? floodMedian / idleMedian : 0.0);
    return whole ? 0 : 1;
}

} // namespace fenwick::bench
