// The small value syntaxes shared by the settings file, the command line and the control channel.
#pragma once

#include "switch_settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fenwick::sim {

// Strict dotted decimal (four octets 0..255), as a host-order number.
std::optional<std::uint32_t> ParseAddress(std::string_view text);

// Exactly 12 hexadecimal digits, the manager's MAC text form.
std::optional<std::array<std::uint8_t, 6>> ParseMac(std::string_view text);

// Exactly 8 hexadecimal digits, the form of the manager's definition tool.
std::optional<std::uint32_t> ParseAgentKey(std::string_view text);

// Decimal, or hexadecimal after 0x, no sign, not above `max`.
std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t max);

// "on" or "off".
std::optional<bool> ParseSwitch(std::string_view text);
inline const char* SwitchText(bool on) {
    return on ? "on" : "off";
}

// Where a TFTP server answers from: "69" or "other".
std::optional<TftpAnswerPort> ParseTftpPort(std::string_view text);
const char* TftpPortText(TftpAnswerPort port);

// The error a TFTP server answers with: "off" (none), or "CODE [TEXT]", CODE 0..65535 and TEXT
// up to kMaxTftpErrorText characters. Nothing when the text fits neither.
std::optional<std::optional<TftpErrorAnswer>> ParseTftpError(std::string_view text);
std::string TftpErrorText(const std::optional<TftpErrorAnswer>& error);

// 8 uppercase hexadecimal digits.
std::string AgentKeyText(std::uint32_t key);

// Without leading and trailing blanks and tabs.
std::string_view Trim(std::string_view text);

// The text with control characters written as '?', for one line of a file or log.
std::string Printable(std::string_view text);

// Splits off the first blank-separated word; `rest` is what follows it, trimmed.
std::string_view FirstWord(std::string_view text, std::string_view& rest);

} // namespace fenwick::sim
