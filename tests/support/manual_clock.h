// Timers and Clock double: a manual clock that tests advance. Advancing fires every timer that
// falls due on the way, one at a time in the order of their due times (timers due at the same
// moment in the order they were armed), with the clock standing at each one's due time while
// it runs. Local time is the start time plus the time advanced.
//
// As Qt's timer dispatch does, it never fires a timer again while that timer's callback is
// still running (say, under a box's event loop): a periodic timer that falls due meanwhile
// skips that period. Starting a timer afresh makes it a new timer that may fire at once, as
// QTimer::start does by registering a new one.
#pragma once

#include "core/ports/clock.h"
#include "core/ports/timers.h"

#include <QDateTime>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace fenwick::testing {

class ManualClock final : public Timers, public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2004, 1, 5), QTime(9, 30, 0), Qt::UTC))
        : start_(std::move(start)) {}
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    std::unique_ptr<Timer> Create(Kind kind, std::function<void()> timeout) override {
        return std::make_unique<ManualTimer>(*this, kind, std::move(timeout));
    }

    LocalTime LocalNow() const override {
        const QDateTime now = start_.addMSecs(now_);
        return {now.date().year(), now.date().month(),  now.date().day(),
                now.time().hour(), now.time().minute(), now.time().second()};
    }

    // Milliseconds advanced since the start, and the local time of the start.
    std::int64_t Now() const { return now_; }
    const QDateTime& Start() const { return start_; }

    // Fires the earliest timer due at or before `until` and returns true; when none is due, the
    // clock moves on to `until` and it returns false.
    bool FireNext(std::int64_t until) {
        const auto due = std::min_element(timers_.begin(), timers_.end(), Earlier);
        if (due == timers_.end() || !(*due)->active || (*due)->due > until) {
            now_ = std::max(now_, until);
            return false;
        }
        ManualTimer& timer = **due;
        now_ = std::max(now_, timer.due);
        if (timer.running == timer.registration) {
            // Its callback is further up the stack: this period passes without it. (A
            // single-shot timer cannot be here: it fires once per registration.)
            timer.Arm(timer.interval);
            return true;
        }
        if (timer.kind == Kind::Periodic) {
            timer.Arm(timer.interval); // the next period counts from this one
        } else {
            timer.active = false;
        }
        const std::uint64_t id = timer.id;
        const std::uint64_t outer = timer.running;
        timer.running = timer.registration;
        timer.timeout(); // may stop, re-arm or destroy any timer, this one included
        if (ManualTimer* still = Find(id)) {
            still->running = outer;
        }
        return true;
    }

    // Advances by `milliseconds`, firing whatever falls due.
    void Advance(std::int64_t milliseconds) {
        const std::int64_t until = now_ + milliseconds;
        while (FireNext(until)) {
        }
    }

    // Timers armed now.
    int ActiveTimers() const {
        return static_cast<int>(
            std::count_if(timers_.begin(), timers_.end(), [](auto* t) { return t->active; }));
    }

private:
    struct ManualTimer final : Timer {
        ManualTimer(ManualClock& clock, Kind kind, std::function<void()> timeout)
            : clock(clock), kind(kind), timeout(std::move(timeout)), id(++clock.ids_) {
            clock.timers_.push_back(this);
        }
        ~ManualTimer() override { std::erase(clock.timers_, this); }

        void Start(int milliseconds) override {
            interval = std::max(milliseconds, 0);
            registration = ++clock.registrations_;
            Arm(interval);
        }
        void Stop() override {
            active = false;
            registration = 0;
        }
        bool IsActive() const override { return active; }

        void Arm(int milliseconds) {
            due = clock.now_ + milliseconds;
            sequence = ++clock.sequence_;
            active = true;
        }

        ManualClock& clock;
        Kind kind;
        std::function<void()> timeout;
        int interval = 0;
        std::int64_t due = 0;
        std::uint64_t sequence = 0;
        bool active = false;
        std::uint64_t id;
        // Which Start this timer runs under, and under which one its callback is running (0:
        // none).
        std::uint64_t registration = 0;
        std::uint64_t running = 0;
    };

    ManualTimer* Find(std::uint64_t id) const {
        const auto it =
            std::find_if(timers_.begin(), timers_.end(), [id](auto* t) { return t->id == id; });
        return it == timers_.end() ? nullptr : *it;
    }

    // Active timers first, by due time, then by the order they were armed.
    static bool Earlier(const ManualTimer* a, const ManualTimer* b) {
        if (a->active != b->active) {
            return a->active;
        }
        return a->due != b->due ? a->due < b->due : a->sequence < b->sequence;
    }

    QDateTime start_;
    std::int64_t now_ = 0;
    std::uint64_t sequence_ = 0;
    std::uint64_t ids_ = 0;
    std::uint64_t registrations_ = 0;
    std::vector<ManualTimer*> timers_;
};

} // namespace fenwick::testing
