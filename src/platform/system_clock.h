// The system's clock in the local time zone.
#pragma once

#include "core/ports/clock.h"

namespace fenwick {

class SystemClock final : public Clock {
public:
    LocalTime LocalNow() const override;
};

} // namespace fenwick
