// Port for the current local time, which stamps the event log and the stored traps. The
// platform layer reads the system's clock and time zone; tests set and advance the time.
#pragma once

#include "codec/timestamp.h"

namespace fenwick {

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime LocalNow() const = 0;
};

} // namespace fenwick
