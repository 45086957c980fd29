// The InfoField elements an agent writes, and the look-up of single elements in a request body.
// Records are filled from bodies by the codec's ParseReplyBody; these cover what it leaves out:
// writing the information elements, and reading the passwords (it never reports element 8).
#pragma once

#include "switch_settings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace fenwick::sim {

// Elements 1 to 7 in type order: product, system name, location, then the IP address, subnet
// mask, gateway and trap receiver (each 8 bytes, network order).
void AppendInformation(std::vector<std::uint8_t>& out, const SwitchSettings& settings);

// The value of the first element of `type`, walking the body as the manager's parser does:
// address elements (4 to 7) are always 8 bytes long, other known types (1 to 9) as long as
// their length field says; the walk stops at an unknown type and at an element that does not
// fit. Nothing when no such element is found before the walk stops.
std::optional<std::string_view> FindTextField(std::span<const std::uint8_t> body,
                                              std::uint16_t type);

} // namespace fenwick::sim
