// The settings file of the simulated switches: plain text, one "key = value" a line.
//
//   # A comment; blank lines are ignored.
//   agent-key = 1A2B3C4D          8 hexadecimal digits, as fenwick-define takes it
//   base-port = 8080              decimal or 0x...; agents listen on base-port + 2
//
//   [switch]                      starts one switch; every key below belongs to it
//   ip = 10.77.1.1                required, unique
//   mac = 02000a4d0101            required, 12 hexadecimal digits
//   product = Fenwick Lab Switch  texts are the rest of the line, blanks around it dropped;
//   name = sw-1                     product up to 40 characters, the others up to 20
//   location = lab
//   password = admin
//   mask = 255.255.0.0            addresses in dotted decimal; 0.0.0.0 when left out
//   gateway = 0.0.0.0
//   trap-receiver = 10.77.0.1     where traps go (port base-port); 0.0.0.0 sends none
//   protocol-version = 2          put in every header; 3 gives a foreign agent
//   interface-version = 1
//   silent = off                  on: answers nothing
//   loader = off                  on: answers discovery and polls with code 12
//   error = 0                     0..15, put in every reply's Status; a set is then refused
//   tftp = on                     off: no TFTP server answers on port 69
//   tftp-port = 69                69, or other: the server answers from a transfer port of its
//                                   own and still takes data on 69
//   tftp-error = off              or CODE TEXT: every write request is answered with that
//                                   error packet (TEXT up to 1400 characters)
//   loss = 0                      percent of the TFTP packets received and sent that are lost
//   loss-seed = 1                   on purpose, drawn from a generator seeded with loss-seed
//   restart-delay = 5             seconds the switch is silent after an image has been written
//
// Keys left out of a switch take the values shown, except the texts, which default to empty.
#pragma once

#include "switch_settings.h"

#include <optional>
#include <string>
#include <string_view>

namespace fenwick::sim {

// Returns nothing when the text does not fit the format, with "line N: reason" in `error`.
std::optional<NetworkSettings> ParseSettingsText(std::string_view text, std::string& error);

// Writes settings in the same format; ParseSettingsText reads them back unchanged as long as
// the texts hold no control characters (written as '?') and do not start or end with a blank.
std::string FormatSettingsText(const NetworkSettings& settings);

// One switch as a "[switch]" block.
std::string FormatSwitchBlock(const SwitchSettings& settings);

} // namespace fenwick::sim
