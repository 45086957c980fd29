// One double for every port of the core, as a bundle: the core tests and the window tests build
// the program's core over it, so both drive the same fakes in the same way.
#pragma once

#include "core/app/manager_core.h"
#include "support/manual_clock.h"
#include "support/memory_network.h"
#include "support/recording_launcher.h"
#include "support/recording_prompts.h"

namespace fenwick::testing {

struct PortDoubles {
    RecordingPrompts prompts;
    MemoryNetwork network;
    ManualClock clock; // both the timers and the clock
    RecordingLauncher launcher;

    ManagerCore::Ports Ports() { return {prompts, network, clock, clock, launcher}; }
};

} // namespace fenwick::testing
