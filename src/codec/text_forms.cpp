#include "text_forms.h"

#include <cstdio>

namespace fenwick {

std::string MacText(std::span<const std::uint8_t, 6> mac) {
    char text[13];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x%02x%02x", mac[0], mac[1], mac[2], mac[3],
                  mac[4], mac[5]);
    return text;
}

std::string AddressText(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFFu,
                  (address >> 16) & 0xFFu, (address >> 8) & 0xFFu, address & 0xFFu);
    return text;
}

std::string VersionText(std::uint16_t protocolVersion, std::uint16_t direction,
                        std::uint16_t interfaceVersion) {
    char text[24];
    std::snprintf(text, sizeof text, "%d.%03x.%03d", protocolVersion, direction, interfaceVersion);
    return text;
}

} // namespace fenwick
