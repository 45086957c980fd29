#include "qt_timers.h"

#include <QTimer>

namespace fenwick {
namespace {

class QtTimer final : public Timer {
public:
    QtTimer(Timers::Kind kind, std::function<void()> timeout) : timeout_(std::move(timeout)) {
        timer_.setSingleShot(kind == Timers::Kind::SingleShot);
        // The waits are seconds long; a coarse timer is as exact as they need and costs less.
        timer_.setTimerType(Qt::CoarseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { timeout_(); });
    }

    void Start(int milliseconds) override { timer_.start(milliseconds); }
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }

private:
    std::function<void()> timeout_;
    QTimer timer_;
};

} // namespace

std::unique_ptr<Timer> QtTimers::Create(Kind kind, std::function<void()> timeout) {
    return std::make_unique<QtTimer>(kind, std::move(timeout));
}

} // namespace fenwick
