// The upgrade trigger: request 10 to one device, its header followed by the password as the
// only element of its body. The device answers 11 and then takes the image by TFTP.
#pragma once

#include "info_field.h"
#include "packet_header.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace fenwick {

inline constexpr std::size_t kMaxTriggerPasswordLength = 20;
inline constexpr std::size_t kMaxTriggerLength =
    kHeaderLength + kInfoFieldHeadLength + kMaxTriggerPasswordLength;
static_assert(kMaxTriggerLength == 64);

using TriggerBuffer = std::array<std::uint8_t, kMaxTriggerLength>;

// Writes the trigger for the device with `macText` into `buffer` and returns its bytes (44 plus
// the password's length); empty when the MAC text is not hexadecimal or the password is empty
// or longer than 20 bytes.
std::span<const std::uint8_t> BuildUpgradeTrigger(TriggerBuffer& buffer, std::uint32_t agentKey,
                                                  std::string_view macText, std::uint16_t sequence,
                                                  std::string_view password);

} // namespace fenwick
