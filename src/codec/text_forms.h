// The text forms in which device values are stored and shown.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fenwick {

// 6 bytes as 12 lowercase hexadecimal digits ("%02x" per byte, in byte order).
std::string MacText(std::span<const std::uint8_t, 6> mac);

// A host-order address as dotted decimal, first octet from the most significant byte.
std::string AddressText(std::uint32_t address);

// "%d.%03x.%03d" of protocol version, direction and interface version ("2.001.001").
std::string VersionText(std::uint16_t protocolVersion, std::uint16_t direction,
                        std::uint16_t interfaceVersion);

} // namespace fenwick
