// A timer on the event loop that beats at a fixed interval: the longest time between two beats
// is how late the loop ran something that was due, at worst. The error-flood lab test prints
// it; bench/trap-storm --error-flood measures it beside the idle program's.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

namespace fenwick::testing {

class Heartbeat {
public:
    Heartbeat() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            worstNs_ = std::max(worstNs_, since_.nsecsElapsed());
            since_.restart();
        });
    }
    Heartbeat(const Heartbeat&) = delete;
    Heartbeat& operator=(const Heartbeat&) = delete;

    void Start(int intervalMs) {
        worstNs_ = 0;
        since_.start();
        timer_.start(intervalMs);
    }
    // Stops the beats; the worst gap in milliseconds.
    double Stop() {
        timer_.stop();
        return static_cast<double>(worstNs_) / 1e6;
    }

private:
    QTimer timer_;
    QElapsedTimer since_;
    qint64 worstNs_ = 0;
};

} // namespace fenwick::testing
