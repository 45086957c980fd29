#include "switch_set.h"

namespace fenwick::sim {

namespace {
inline constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFF;
}

SwitchSet::SwitchSet(const NetworkSettings& settings)
    : agentKey_(settings.agentKey), basePort_(settings.basePort) {
    agents_.reserve(settings.switches.size());
    for (const SwitchSettings& sw : settings.switches) {
        agents_.emplace_back(sw, settings.agentKey);
    }
}

Agent* SwitchSet::FindByAddress(std::uint32_t ip) {
    for (Agent& agent : agents_) {
        if (agent.Settings().ip == ip) {
            return &agent;
        }
    }
    return nullptr;
}

Delivery SwitchSet::Route(std::uint32_t destination) const {
    Delivery delivery;
    for (std::size_t i = 0; i < agents_.size(); ++i) {
        if (agents_[i].Settings().ip == destination) {
            delivery.agents.push_back(i);
            return delivery;
        }
    }
    delivery.reception = Reception::Broadcast;
    for (std::size_t i = 0; i < agents_.size(); ++i) {
        const SwitchSettings& sw = agents_[i].Settings();
        if (destination == kLimitedBroadcast || (sw.ip | ~sw.subnetMask) == destination) {
            delivery.agents.push_back(i);
        }
    }
    return delivery;
}

} // namespace fenwick::sim
