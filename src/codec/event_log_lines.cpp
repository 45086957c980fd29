#include "event_log_lines.h"

#include <algorithm>

namespace fenwick {

namespace {
// A control character of ASCII (0x00-0x1F, 0x7F) or of Latin-1 (0x80-0x9F): a line break, or
// part of an escape sequence that a terminal showing the log would obey.
bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F);
}

// A text from a device written into a line: every control character becomes a blank.
void AppendDeviceText(std::string& line, std::string_view text) {
    const std::size_t textAt = line.size();
    line.append(text);
    std::replace_if(line.begin() + static_cast<std::ptrdiff_t>(textAt), line.end(), IsControl, ' ');
}
} // namespace

std::string TrapLineTail(std::string_view addressText, std::string_view eventText) {
    std::string line;
    line.reserve(addressText.size() + eventText.size() + 10);
    line.append(" ").append(addressText).append(" Trap :");
    AppendDeviceText(line, eventText);
    line.append("\r\n");
    return line;
}

std::string NotAliveLine(std::string_view timestamp, std::string_view ipText) {
    std::string line;
    line.append(timestamp).append(" ").append(ipText).append(" Not alive \r\n");
    return line;
}

std::string UpgradeFailureLine(std::string_view timestamp, std::string_view addressText,
                               std::string_view message) {
    std::string line;
    line.append(timestamp).append(" ").append(addressText).append(" ");
    AppendDeviceText(line, message);
    line.append(" \r\n");
    return line;
}

} // namespace fenwick
