// SIGINT and SIGTERM as an event: the handler only writes a byte to a pipe, and the event loop
// reads it, so that a command ends cleanly (sockets closed, lines flushed) instead of dying.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <signal.h>

namespace fenwick::ctl {

class StopSignals {
public:
    // `stop` runs on the event loop after either signal; the earlier handlers come back when
    // this is destroyed.
    explicit StopSignals(std::function<void()> stop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    int pipe_[2] = {-1, -1};
    struct sigaction savedInt_ {};
    struct sigaction savedTerm_ {};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace fenwick::ctl
