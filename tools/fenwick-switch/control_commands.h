// The run-time control language: one command a line, one answer each.
//
//   ping                      is the process up
//   list                      every switch as a [switch] block of the settings file
//   trap IP TEXT              the switch at IP sends a trap with TEXT to its trap receiver
//   trap-all TEXT             every switch that is not silent and has a trap receiver does
//   silent IP|all on|off      answer nothing
//   loader IP|all on|off      boot loader mode (code 12 to discovery and polls)
//   error IP|all N            error code N (0..15) in every reply; 0 for none
//   version IP|all N          protocol version N in every header
//   help                      this list
//
// Room is kept for more (trap rates, the firmware transfer, restart delays): each command is
// one entry of the table in control_commands.cpp.
#pragma once

#include "switch_set.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fenwick::sim {

// A datagram a command asks to send, from a switch's own address.
struct OutgoingDatagram {
    std::uint32_t source = 0;
    std::uint32_t destination = 0;
    std::uint16_t port = 0;
    std::vector<std::uint8_t> bytes;
};

struct ControlResult {
    bool ok = false;
    std::string text; // the answer's lines (ok) or the reason (not ok), without the status
    std::vector<OutgoingDatagram> datagrams;
};

ControlResult RunControlCommand(std::string_view line, SwitchSet& switches);

} // namespace fenwick::sim
