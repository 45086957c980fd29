#include "fenwick-switch/switch_set.h"
#include "switch_fixtures.h"

#include <gtest/gtest.h>

namespace fenwick::sim {
namespace {

using namespace testing;

NetworkSettings ThreeSwitches() {
    NetworkSettings settings;
    settings.agentKey = kKey;
    settings.basePort = 8080;
    for (const char* ip : {"10.77.1.1", "10.77.1.2", "192.168.5.9"}) {
        SwitchSettings sw = LabSwitch();
        sw.ip = Ip(ip);
        settings.switches.push_back(sw);
    }
    settings.switches[2].subnetMask = Ip("255.255.255.0");
    return settings;
}

TEST(SwitchRouting, EachDestinationReachesItsSwitches) {
    struct Case {
        const char* destination;
        std::vector<std::size_t> agents;
        Reception reception;
    };
    const Case cases[] = {
        {"10.77.1.2", {1}, Reception::Unicast},
        {"192.168.5.9", {2}, Reception::Unicast},
        {"255.255.255.255", {0, 1, 2}, Reception::Broadcast},
        {"10.77.255.255", {0, 1}, Reception::Broadcast},
        {"192.168.5.255", {2}, Reception::Broadcast},
        {"10.77.1.3", {}, Reception::Broadcast},
        {"10.77.1.255", {}, Reception::Broadcast},
    };
    const SwitchSet switches(ThreeSwitches());
    for (const Case& c : cases) {
        const Delivery delivery = switches.Route(Ip(c.destination));
        EXPECT_EQ(delivery.agents, c.agents) << c.destination;
        if (!c.agents.empty()) {
            EXPECT_EQ(delivery.reception, c.reception) << c.destination;
        }
    }
}

TEST(SwitchRouting, ASwitchIsFoundAtItsNewAddressAfterASet) {
    SwitchSet switches(ThreeSwitches());
    switches.Agents()[0].Settings().ip = Ip("10.77.9.9");
    EXPECT_EQ(switches.FindByAddress(Ip("10.77.9.9")), &switches.Agents()[0]);
    EXPECT_EQ(switches.FindByAddress(Ip("10.77.1.1")), nullptr);
    EXPECT_EQ(switches.Route(Ip("10.77.9.9")).agents, std::vector<std::size_t>{0});
}

} // namespace
} // namespace fenwick::sim
