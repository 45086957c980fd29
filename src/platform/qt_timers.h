// Timers over QTimer, on the thread's event loop.
#pragma once

#include "core/ports/timers.h"

namespace fenwick {

class QtTimers final : public Timers {
public:
    std::unique_ptr<Timer> Create(Kind kind, std::function<void()> timeout) override;
};

} // namespace fenwick
