#include "control_commands.h"
#include "settings_file.h"
#include "switch_fixtures.h"

#include <functional>
#include <gtest/gtest.h>

namespace fenwick::sim {
namespace {

using namespace testing;

NetworkSettings Network() {
    NetworkSettings settings;
    settings.agentKey = kKey;
    settings.basePort = 8080;
    for (const char* ip : {"10.77.1.1", "10.77.1.2", "10.77.1.3"}) {
        SwitchSettings sw = LabSwitch();
        sw.ip = Ip(ip);
        sw.mac[5] = static_cast<std::uint8_t>(Ip(ip));
        settings.switches.push_back(sw);
    }
    return settings;
}

TEST(ControlCommands, ChangeTheNamedSwitches) {
    struct Case {
        const char* command;
        std::function<void(NetworkSettings&)> expectedChange;
    };
    const Case cases[] = {
        {"silent 10.77.1.2 on", [](NetworkSettings& n) { n.switches[1].silent = true; }},
        {"loader 10.77.1.3 on", [](NetworkSettings& n) { n.switches[2].loader = true; }},
        {"error 10.77.1.1 9", [](NetworkSettings& n) { n.switches[0].errorCode = 9; }},
        {"error 10.77.1.1 0x0f", [](NetworkSettings& n) { n.switches[0].errorCode = 15; }},
        {"version 10.77.1.2 3", [](NetworkSettings& n) { n.switches[1].protocolVersion = 3; }},
        {"  silent   all   on  ",
         [](NetworkSettings& n) {
             for (auto& sw : n.switches) {
                 sw.silent = true;
             }
         }},
        {"ping", [](NetworkSettings&) {}},
    };
    for (const Case& c : cases) {
        SwitchSet switches(Network());
        const ControlResult result = RunControlCommand(c.command, switches);
        EXPECT_TRUE(result.ok) << c.command << ": " << result.text;
        EXPECT_TRUE(result.datagrams.empty()) << c.command;
        NetworkSettings expected = Network();
        c.expectedChange(expected);
        for (std::size_t i = 0; i < expected.switches.size(); ++i) {
            EXPECT_EQ(switches.Agents()[i].Settings(), expected.switches[i]) << c.command;
        }
    }
}

TEST(ControlCommands, FlagsTurnBackOff) {
    SwitchSet switches(Network());
    ASSERT_TRUE(RunControlCommand("loader all on", switches).ok);
    ASSERT_TRUE(RunControlCommand("loader 10.77.1.2 off", switches).ok);
    EXPECT_TRUE(switches.Agents()[0].Settings().loader);
    EXPECT_FALSE(switches.Agents()[1].Settings().loader);
}

TEST(ControlCommands, RefuseWhatTheyCannotDo) {
    const char* const commands[] = {
        "",
        "reboot 10.77.1.1",
        "silent 10.77.1.9 on",
        "silent 10.77.1.1 yes",
        "silent 10.77.1.1",
        "silent",
        "error 10.77.1.1 16",
        "error 10.77.1.1 -1",
        "error ten 1",
        "version 10.77.1.1 65536",
        "trap 10.77.1.9 hello",
        "trap nowhere hello",
    };
    for (const char* command : commands) {
        SwitchSet switches(Network());
        const ControlResult result = RunControlCommand(command, switches);
        EXPECT_FALSE(result.ok) << command;
        EXPECT_FALSE(result.text.empty()) << command;
        EXPECT_TRUE(result.datagrams.empty()) << command;
        for (std::size_t i = 0; i < switches.Agents().size(); ++i) {
            EXPECT_EQ(switches.Agents()[i].Settings(), Network().switches[i]) << command;
        }
    }
}

TEST(ControlCommands, TrapGoesFromTheSwitchToItsReceiverAtTheBasePort) {
    SwitchSet switches(Network());
    const ControlResult result = RunControlCommand("trap 10.77.1.2 Port 3 link down", switches);
    ASSERT_TRUE(result.ok) << result.text;
    ASSERT_EQ(result.datagrams.size(), 1u);
    const OutgoingDatagram& trap = result.datagrams[0];
    EXPECT_EQ(trap.source, Ip("10.77.1.2"));
    EXPECT_EQ(trap.destination, Ip("10.77.0.1"));
    EXPECT_EQ(trap.port, 8080);
    EXPECT_EQ(trap.bytes, switches.Agents()[1].BuildTrap("Port 3 link down"));
}

TEST(ControlCommands, TrapAllSkipsSilentSwitchesAndThoseWithoutReceiver) {
    SwitchSet switches(Network());
    switches.Agents()[0].Settings().silent = true;
    switches.Agents()[2].Settings().trapReceiver = 0;
    const ControlResult all = RunControlCommand("trap-all cold start", switches);
    ASSERT_TRUE(all.ok);
    ASSERT_EQ(all.datagrams.size(), 1u);
    EXPECT_EQ(all.datagrams[0].source, Ip("10.77.1.2"));
    // Asked for by name, the other two say why not.
    EXPECT_FALSE(RunControlCommand("trap 10.77.1.1 x", switches).ok);
    EXPECT_FALSE(RunControlCommand("trap 10.77.1.3 x", switches).ok);
}

TEST(ControlCommands, ListShowsTheCurrentSettingsInTheFileFormat) {
    SwitchSet switches(Network());
    ASSERT_TRUE(RunControlCommand("error 10.77.1.3 2", switches).ok);
    const ControlResult list = RunControlCommand("list", switches);
    ASSERT_TRUE(list.ok);
    std::string error;
    const auto read =
        ParseSettingsText("agent-key = 1A2B3C4D\nbase-port = 8080\n" + list.text, error);
    ASSERT_TRUE(read) << error;
    NetworkSettings expected = Network();
    expected.switches[2].errorCode = 2;
    EXPECT_EQ(*read, expected);
}

} // namespace
} // namespace fenwick::sim
