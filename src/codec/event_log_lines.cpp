#include "event_log_lines.h"

#include <algorithm>

namespace fenwick {

namespace {
// A text from a device written into a line: a carriage return or line feed becomes a blank.
void AppendDeviceText(std::string& line, std::string_view text) {
    const std::size_t textAt = line.size();
    line.append(text);
    std::replace_if(
        line.begin() + static_cast<std::ptrdiff_t>(textAt), line.end(),
        [](char c) { return c == '\r' || c == '\n'; }, ' ');
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
