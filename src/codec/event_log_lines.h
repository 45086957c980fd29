// The lines of the event log, byte for byte. Each ends with carriage return and line feed.
#pragma once

#include <string>
#include <string_view>

namespace fenwick {

// What follows the timestamp in a trap line (the timestamp is written by a call of its own):
// " ADDRESS Trap :EVENT\r\n". Every control character inside the event text (0x00-0x1F, 0x7F,
// 0x80-0x9F) becomes a blank, so that one trap stays one line and a device can write neither
// lines of its own making nor escape sequences into the log an operator reads.
std::string TrapLineTail(std::string_view addressText, std::string_view eventText);

// "TIMESTAMP ADDRESS Not alive \r\n".
std::string NotAliveLine(std::string_view timestamp, std::string_view ipText);

// "TIMESTAMP ADDRESS MESSAGE \r\n", for a firmware upgrade that failed. The message may be a
// device's own error text: its control characters become blanks, as in a trap line.
std::string UpgradeFailureLine(std::string_view timestamp, std::string_view addressText,
                               std::string_view message);

} // namespace fenwick
