// The run-time control language: one command a line, one answer each.
//
//   ping                      is the process up
//   list                      every switch as a [switch] block of the settings file
//   trap IP TEXT              the switch at IP sends a trap with TEXT to its trap receiver
//   trap-all TEXT             every switch that is not silent and has a trap receiver does
//   trap-rate RATE SECONDS [TEXT]
//                             a storm: RATE traps a second in all, for SECONDS, taken in turn
//                             from those switches; answers at once, the traps follow
//   trap-stop                 ends the storm early
//   trap-burst [TEXT]         one trap from each of those switches, all in one system call
//   stats                     traps sent and failed, and the running or last storm
//   silent IP|all on|off      answer nothing
//   loader IP|all on|off      boot loader mode (code 12 to discovery and polls)
//   error IP|all N            error code N (0..15) in every reply; 0 for none
//   version IP|all N          protocol version N in every header
//   tftp IP|all on|off        the TFTP server on port 69 answers, or not
//   tftp-port IP|all 69|other where the TFTP server answers from; data is taken on 69 always
//   tftp-error IP|all off|CODE [TEXT]
//                             answer every write request with that error packet
//   loss IP|all PERCENT [SEED]
//                             lose that share of TFTP packets received and sent, drawn
//                             afresh from SEED (1 by default)
//   restart-delay IP|all SECONDS
//                             silent that long after an image has been written
//   image IP [PATH]           the last image received: size, FNV-1a digest, name, client,
//                             time; the server's state and packet counts; its bytes to PATH
//   help                      this list
//
// Storm and burst traps carry a sequence number: "TEXT 000123 from 10.77.1.5".
// Each command is one entry of the table in control_commands.cpp.
#pragma once

#include "outgoing_datagram.h"
#include "switch_set.h"

#include <string>
#include <string_view>
#include <vector>

namespace fenwick::sim {

class TrapTraffic;

struct ControlResult {
    bool ok = false;
    std::string text; // the answer's lines (ok) or the reason (not ok), without the status
    std::vector<OutgoingDatagram> datagrams;
};

// `traffic` keeps the trap storms and the trap counts that stats reports.
ControlResult RunControlCommand(std::string_view line, SwitchSet& switches, TrapTraffic& traffic);

} // namespace fenwick::sim
