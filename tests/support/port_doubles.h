// One double for every port of the core, as a bundle: the core tests and the window tests build
// the program's core over it, so both drive the same fakes in the same way.
#pragma once

#include "core/app/manager_core.h"
#include "support/fixed_local_addresses.h"
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
    // The manager's own addresses: loopback, then 10.77.0.254/16, the subnet of the test
    // agents.
    FixedLocalAddresses localAddresses{{
        {"lo", 1, 0x7F000001, 0xFF000000, true, true, false},
        {"eth0", 2, 0x0A4D00FE, 0xFFFF0000, true, false, true},
    }};
    RecordingPrompts upgradePrompts; // the upgrade window's boxes

    ManagerCore::Ports Ports() {
        return {prompts, network, clock, clock, launcher, localAddresses, upgradePrompts};
    }
};

} // namespace fenwick::testing
