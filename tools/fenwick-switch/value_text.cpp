#include "value_text.h"

#include "codec/byte_order.h"
#include "codec/validation.h"

#include <arpa/inet.h>
#include <charconv>
#include <cstdio>

namespace fenwick::sim {

std::optional<std::uint32_t> ParseAddress(std::string_view text) {
    // inet_pton accepts exactly four decimal octets, unlike inet_aton's octal and short forms.
    char buffer[INET_ADDRSTRLEN];
    if (text.size() >= sizeof buffer) {
        return std::nullopt;
    }
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    in_addr address{};
    if (inet_pton(AF_INET, buffer, &address) != 1) {
        return std::nullopt;
    }
    return ntohl(address.s_addr);
}

std::optional<std::array<std::uint8_t, 6>> ParseMac(std::string_view text) {
    std::array<std::uint8_t, 6> mac{};
    if (text.size() != 2 * mac.size() || !HexTextToBytes(text, mac)) {
        return std::nullopt;
    }
    return mac;
}

std::optional<std::uint32_t> ParseAgentKey(std::string_view text) {
    std::uint8_t bytes[4];
    if (text.size() != 2 * sizeof bytes || !HexTextToBytes(text, bytes)) {
        return std::nullopt;
    }
    return LoadBe32(bytes);
}

std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t max) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || status != std::errc{} || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ParseSwitch(std::string_view text) {
    if (text == "on") {
        return true;
    }
    if (text == "off") {
        return false;
    }
    return std::nullopt;
}

std::string AgentKeyText(std::uint32_t key) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", key);
    return text;
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string_view FirstWord(std::string_view text, std::string_view& rest) {
    text = Trim(text);
    const auto end = text.find_first_of(" \t");
    if (end == std::string_view::npos) {
        rest = {};
        return text;
    }
    rest = Trim(text.substr(end));
    return text.substr(0, end);
}

std::optional<TftpAnswerPort> ParseTftpPort(std::string_view text) {
    if (text == "69") {
        return TftpAnswerPort::Server;
    }
    if (text == "other") {
        return TftpAnswerPort::Other;
    }
    return std::nullopt;
}

const char* TftpPortText(TftpAnswerPort port) {
    return port == TftpAnswerPort::Server ? "69" : "other";
}

std::optional<std::optional<TftpErrorAnswer>> ParseTftpError(std::string_view text) {
    if (text == "off") {
        return std::optional<TftpErrorAnswer>();
    }
    std::string_view message;
    const auto code = ParseNumber(FirstWord(text, message), 0xFFFF);
    if (!code || message.size() > kMaxTftpErrorText) {
        return std::nullopt;
    }
    return TftpErrorAnswer{static_cast<std::uint16_t>(*code), std::string(message)};
}

std::string TftpErrorText(const std::optional<TftpErrorAnswer>& error) {
    if (!error) {
        return "off";
    }
    std::string text = std::to_string(error->code);
    if (!error->text.empty()) {
        text += ' ' + Printable(error->text);
    }
    return text;
}

std::string Printable(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return out;
}

} // namespace fenwick::sim
