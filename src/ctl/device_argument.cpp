#include "device_argument.h"

#include <cctype>

namespace fenwick::ctl {
namespace {

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::optional<std::string> ReadMac(std::string_view text) {
    std::string digits;
    if (text.size() == 17) {
        const char separator = text[2];
        if (separator != ':' && separator != '-') {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i % 3 == 2) {
                if (text[i] != separator) {
                    return std::nullopt;
                }
            } else {
                digits += text[i];
            }
        }
    } else if (text.size() == 12) {
        digits = text;
    } else {
        return std::nullopt;
    }
    for (char& c : digits) {
        if (!IsHexDigit(c)) {
            return std::nullopt;
        }
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return digits;
}

} // namespace

std::optional<std::uint32_t> ReadDottedAddress(std::string_view text) {
    std::uint32_t address = 0;
    int octets = 0;
    std::size_t position = 0;
    while (octets < 4) {
        std::size_t digits = 0;
        std::uint32_t value = 0;
        while (position < text.size() && std::isdigit(static_cast<unsigned char>(text[position]))) {
            value = value * 10 + static_cast<std::uint32_t>(text[position] - '0');
            ++position;
            if (++digits > 3) {
                return std::nullopt;
            }
        }
        if (digits == 0 || value > 255) {
            return std::nullopt;
        }
        address = address << 8 | value;
        ++octets;
        if (octets < 4) {
            if (position >= text.size() || text[position] != '.') {
                return std::nullopt;
            }
            ++position;
        }
    }
    if (position != text.size()) {
        return std::nullopt;
    }
    return address;
}

std::optional<DeviceArgument> ReadDeviceArgument(std::string_view text) {
    if (const std::optional<std::string> mac = ReadMac(text)) {
        return DeviceArgument{DeviceArgument::Kind::Mac, *mac, 0};
    }
    if (const std::optional<std::uint32_t> ip = ReadDottedAddress(text)) {
        return DeviceArgument{DeviceArgument::Kind::Ip, {}, *ip};
    }
    return std::nullopt;
}

} // namespace fenwick::ctl
