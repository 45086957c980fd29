#include "upgrade_trigger.h"

#include <algorithm>

namespace fenwick {

std::span<const std::uint8_t> BuildUpgradeTrigger(TriggerBuffer& buffer, std::uint32_t agentKey,
                                                  std::string_view macText, std::uint16_t sequence,
                                                  std::string_view password) {
    buffer.fill(0);
    if (password.empty() || password.size() > kMaxTriggerPasswordLength ||
        BuildTargetedRequestHeader(kCommandUpgradeTrigger, agentKey, macText, sequence,
                                   std::span(buffer).first<kHeaderLength>())
            .empty()) {
        return {};
    }
    const std::size_t elementLength = kInfoFieldHeadLength + password.size();
    std::uint8_t* element = buffer.data() + kHeaderLength;
    element[0] = 0;
    element[1] = kInfoPassword;
    element[2] = static_cast<std::uint8_t>(elementLength >> 8);
    element[3] = static_cast<std::uint8_t>(elementLength);
    std::copy(password.begin(), password.end(), element + kInfoFieldHeadLength);
    return std::span<const std::uint8_t>(buffer).first(kHeaderLength + elementLength);
}

} // namespace fenwick
