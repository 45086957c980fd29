// The lines of the event log, byte for byte. Each ends with carriage return and line feed.
#pragma once

#include <string>
#include <string_view>

namespace fenwick {

// What follows the timestamp in a trap line (the timestamp is written by a call of its own):
// " ADDRESS Trap :EVENT\r\n". A carriage return or line feed inside the event text becomes a
// blank, so that one trap stays one line and a device cannot write lines of its own making.
std::string TrapLineTail(std::string_view addressText, std::string_view eventText);

// "TIMESTAMP ADDRESS Not alive \r\n".
std::string NotAliveLine(std::string_view timestamp, std::string_view ipText);

// "TIMESTAMP ADDRESS MESSAGE \r\n", for a firmware upgrade that failed. The message may be a
// device's own error text: its line breaks become blanks, as in a trap line.
std::string UpgradeFailureLine(std::string_view timestamp, std::string_view addressText,
                               std::string_view message);

} // namespace fenwick
