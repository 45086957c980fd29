// All the switches one process stands for, and which of them hear a datagram.
#pragma once

#include "agent.h"
#include "switch_settings.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fenwick::sim {

struct Delivery {
    std::vector<std::size_t> agents; // indexes into SwitchSet::Agents()
    Reception reception = Reception::Unicast;
};

class SwitchSet {
public:
    explicit SwitchSet(const NetworkSettings& settings);

    std::vector<Agent>& Agents() { return agents_; }
    const std::vector<Agent>& Agents() const { return agents_; }
    std::uint32_t AgentKey() const { return agentKey_; }
    std::uint16_t BasePort() const { return basePort_; }
    std::uint16_t AgentPort() const { return static_cast<std::uint16_t>(basePort_ + 2); }

    // The switch that holds this address now, or nullptr.
    Agent* FindByAddress(std::uint32_t ip);

    // A datagram to a switch's own address reaches that switch alone; one to 255.255.255.255
    // reaches every switch, and one to a subnet's broadcast address every switch in that
    // subnet (by its own mask). Anything else reaches nobody.
    Delivery Route(std::uint32_t destination) const;

private:
    std::vector<Agent> agents_;
    std::uint32_t agentKey_;
    std::uint16_t basePort_;
};

} // namespace fenwick::sim
