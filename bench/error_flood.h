// The error flood, a mode of the trap storm benchmark: one switch answers everything with an
// error code and sends error traps at a steady rate while the one box they open stays open, as
// it would for an operator who is away. It measures how late the event loop runs a heartbeat
// then, beside the same figure for the idle program, over several runs.
#pragma once

#include <cstdint>
#include <string>

namespace fenwick::bench {

struct ErrorFloodOptions {
    std::string control;   // the lab switches' control socket
    std::string switchIp;  // the switch that floods
    int runs = 5;          // idle and flood measured once each per run
    std::uint32_t seconds; // each measurement's length
    std::uint32_t rate;    // error traps a second
};

// Runs the measurements on the program of this process, which must be up and show its real
// message boxes; prints a line a run and the medians. 0 when every run's flood was sent whole
// and opened one box.
int RunErrorFlood(const ErrorFloodOptions& options);

} // namespace fenwick::bench
