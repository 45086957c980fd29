// Waiting on the real event loop for something the program does in its own time: the lab tests
// and the benchmarks that drive the whole program over real sockets share it.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace fenwick::testing {

// Runs the event loop until `done` holds or `limitMs` has passed; returns whether it holds.
inline bool WaitUntil(const std::function<bool()>& done, int limitMs = 5000) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > limitMs) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace fenwick::testing
