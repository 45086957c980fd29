// Port for timers on the event loop: the liveness tick, the polling cycle's waits and every
// other wait of the program. The platform layer implements it with QTimer; tests use a manual
// clock that they advance, so that minutes of waiting pass in microseconds.
#pragma once

#include <functional>
#include <memory>

namespace fenwick {

class Timer {
public:
    // Destroying a timer stops it. A timer is never destroyed from inside its own callback.
    virtual ~Timer() = default;

    // Arms the timer to fire `milliseconds` from now; an armed timer starts its wait afresh.
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

class Timers {
public:
    enum class Kind {
        SingleShot, // fires once per Start
        Periodic,   // fires every interval until stopped
    };

    virtual ~Timers() = default;

    // A stopped timer that calls `timeout` on the event loop each time it fires.
    virtual std::unique_ptr<Timer> Create(Kind kind, std::function<void()> timeout) = 0;
};

} // namespace fenwick
