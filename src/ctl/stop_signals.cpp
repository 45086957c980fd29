#include "stop_signals.h"

#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace fenwick::ctl {
namespace {

// The write end, for the handler; one StopSignals lives at a time.
volatile sig_atomic_t writeEnd = -1;

void OnSignal(int) {
    const char byte = 1;
    // Nothing can be done about a full pipe; one byte already waiting says the same.
    [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
}

} // namespace

StopSignals::StopSignals(std::function<void()> stop) {
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the signals keep their default: the command still ends
    }
    writeEnd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, stop = std::move(stop)] {
        char bytes[16];
        while (read(pipe_[0], bytes, sizeof bytes) > 0) {
        }
        stop();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &savedInt_);
    sigaction(SIGTERM, &action, &savedTerm_);
}

StopSignals::~StopSignals() {
    if (pipe_[0] < 0) {
        return;
    }
    sigaction(SIGINT, &savedInt_, nullptr);
    sigaction(SIGTERM, &savedTerm_, nullptr);
    notifier_.reset();
    writeEnd = -1;
    close(pipe_[0]);
    close(pipe_[1]);
}

} // namespace fenwick::ctl
