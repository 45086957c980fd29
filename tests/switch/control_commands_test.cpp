#include "fenwick-switch/control_commands.h"
#include "fenwick-switch/fnv1a.h"
#include "fenwick-switch/settings_file.h"
#include "fenwick-switch/trap_traffic.h"
#include "switch_fixtures.h"
#include "tftp_fixtures.h"

#include <filesystem>
#include <fstream>
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

const SteadyTime kNow = SteadyTime{} + std::chrono::hours(3);

// A command against fresh trap traffic; for commands that leave it alone.
ControlResult RunCommand(std::string_view command, SwitchSet& switches) {
    TrapTraffic traffic([] { return kNow; });
    return RunControlCommand(command, switches, traffic);
}

TEST(ControlCommands, ChangeTheNamedSwitches) {
    struct Case {
        std::string command;
        std::function<void(NetworkSettings&)> expectedChange;
    };
    const Case cases[] = {
        {"silent 10.77.1.2 on", [](NetworkSettings& n) { n.switches[1].silent = true; }},
        {"silent-set 10.77.1.2 on", [](NetworkSettings& n) { n.switches[1].silentToSets = true; }},
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
        {"tftp 10.77.1.2 off", [](NetworkSettings& n) { n.switches[1].tftp = false; }},
        {"tftp-port all other",
         [](NetworkSettings& n) {
             for (auto& sw : n.switches) {
                 sw.tftpPort = TftpAnswerPort::Other;
             }
         }},
        {"tftp-error 10.77.1.1 3  Flash write error ",
         [](NetworkSettings& n) {
             n.switches[0].tftpError = TftpErrorAnswer{3, "Flash write error"};
         }},
        {"tftp-error 10.77.1.1 0x10",
         [](NetworkSettings& n) {
             n.switches[0].tftpError = TftpErrorAnswer{16, ""};
         }},
        {"tftp-error 10.77.1.1 2 " + std::string(kMaxTftpErrorText, 'e'),
         [](NetworkSettings& n) {
             n.switches[0].tftpError = TftpErrorAnswer{2, std::string(kMaxTftpErrorText, 'e')};
         }},
        {"loss 10.77.1.3 20 7",
         [](NetworkSettings& n) {
             n.switches[2].lossPercent = 20;
             n.switches[2].lossSeed = 7;
         }},
        {"loss 10.77.1.3 100", [](NetworkSettings& n) { n.switches[2].lossPercent = 100; }},
        {"restart-delay 10.77.1.2 60",
         [](NetworkSettings& n) { n.switches[1].restartSeconds = 60; }},
        {"restart-delay 10.77.1.2 0", [](NetworkSettings& n) { n.switches[1].restartSeconds = 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command.substr(0, 40));
        SwitchSet switches(Network());
        const ControlResult result = RunCommand(c.command, switches);
        EXPECT_TRUE(result.ok) << result.text;
        EXPECT_TRUE(result.datagrams.empty());
        NetworkSettings expected = Network();
        c.expectedChange(expected);
        for (std::size_t i = 0; i < expected.switches.size(); ++i) {
            EXPECT_EQ(switches.Agents()[i].Settings(), expected.switches[i]);
        }
    }
}

TEST(ControlCommands, FlagsTurnBackOff) {
    SwitchSet switches(Network());
    ASSERT_TRUE(RunCommand("loader all on", switches).ok);
    ASSERT_TRUE(RunCommand("loader 10.77.1.2 off", switches).ok);
    EXPECT_TRUE(switches.Agents()[0].Settings().loader);
    EXPECT_FALSE(switches.Agents()[1].Settings().loader);
}

TEST(ControlCommands, TftpFaultsTurnBackOff) {
    SwitchSet switches(Network());
    ASSERT_TRUE(RunCommand("tftp-error all 2 Access violation", switches).ok);
    ASSERT_TRUE(RunCommand("tftp all off", switches).ok);
    ASSERT_TRUE(RunCommand("tftp-port all other", switches).ok);
    ASSERT_TRUE(RunCommand("tftp-error 10.77.1.2 off", switches).ok);
    ASSERT_TRUE(RunCommand("tftp 10.77.1.2 on", switches).ok);
    ASSERT_TRUE(RunCommand("tftp-port 10.77.1.2 69", switches).ok);
    EXPECT_EQ(switches.Agents()[1].Settings(), Network().switches[1]);
    EXPECT_TRUE(switches.Agents()[0].Settings().tftpError);
}

TEST(ControlCommands, RefuseWhatTheyCannotDo) {
    const std::string tooLongError =
        "tftp-error 10.77.1.1 2 " + std::string(kMaxTftpErrorText + 1, 'e');
    const std::string commands[] = {
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
        "trap-rate",
        "trap-rate 1000",
        "trap-rate 0 10",
        "trap-rate 1000 0",
        "trap-rate 1000001 1",
        "trap-rate 1000 3601",
        "trap-rate -5 10",
        "trap-rate ten 10",
        "trap-rate 1000 1.5",
        "trap-stop",
        "tftp 10.77.1.1 maybe",
        "tftp-port 10.77.1.1 70",
        "tftp-port 10.77.1.1",
        "tftp-error 10.77.1.1",
        "tftp-error 10.77.1.1 65536 too big",
        "tftp-error 10.77.1.1 disk full",
        tooLongError,
        "loss 10.77.1.1 101",
        "loss 10.77.1.1",
        "loss 10.77.1.1 20 seed",
        "loss 10.77.1.1 20 4294967296",
        "restart-delay 10.77.1.1 3601",
        "restart-delay 10.77.1.9 5",
        "image",
        "image nowhere",
        "image 10.77.1.9",
        "image 10.77.1.1 /tmp/no-image-here",
    };
    for (const std::string& command : commands) {
        SwitchSet switches(Network());
        const ControlResult result = RunCommand(command, switches);
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
    const ControlResult result = RunCommand("trap 10.77.1.2 Port 3 link down", switches);
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
    const ControlResult all = RunCommand("trap-all cold start", switches);
    ASSERT_TRUE(all.ok);
    ASSERT_EQ(all.datagrams.size(), 1u);
    EXPECT_EQ(all.datagrams[0].source, Ip("10.77.1.2"));
    // Asked for by name, the other two say why not.
    EXPECT_FALSE(RunCommand("trap 10.77.1.1 x", switches).ok);
    EXPECT_FALSE(RunCommand("trap 10.77.1.3 x", switches).ok);
}

TEST(ControlCommands, ListShowsTheCurrentSettingsInTheFileFormat) {
    SwitchSet switches(Network());
    ASSERT_TRUE(RunCommand("error 10.77.1.3 2", switches).ok);
    const ControlResult list = RunCommand("list", switches);
    ASSERT_TRUE(list.ok);
    std::string error;
    const auto read =
        ParseSettingsText("agent-key = 1A2B3C4D\nbase-port = 8080\n" + list.text, error);
    ASSERT_TRUE(read) << error;
    NetworkSettings expected = Network();
    expected.switches[2].errorCode = 2;
    EXPECT_EQ(*read, expected);
}

TEST(ControlCommands, TrapTextsOfStormsAndBurstsAreBounded) {
    const std::string longest(kMaxStormText, 'x');
    const std::string tooLong(kMaxStormText + 1, 'x');
    struct Case {
        std::string command;
        bool ok;
    };
    const Case cases[] = {
        {"trap-rate 10 1 " + longest, true},
        {"trap-rate 10 1 " + tooLong, false},
        {"trap-burst " + longest, true},
        {"trap-burst " + tooLong, false},
    };
    for (const Case& c : cases) {
        SwitchSet switches(Network());
        TrapTraffic traffic([] { return kNow; });
        const ControlResult result = RunControlCommand(c.command, switches, traffic);
        EXPECT_EQ(result.ok, c.ok) << c.command.substr(0, 20) << ": " << result.text;
        EXPECT_EQ(traffic.StormRunning(), c.ok && c.command.starts_with("trap-rate"));
    }
}

TEST(ControlCommands, TrapRateStartsAStormThatTrapStopEnds) {
    SwitchSet switches(Network());
    SteadyTime now = kNow;
    TrapTraffic traffic([&now] { return now; });
    const ControlResult started =
        RunControlCommand("trap-rate 2000 10 step-2000", switches, traffic);
    ASSERT_TRUE(started.ok) << started.text;
    EXPECT_EQ(started.text, "storm of 20000 traps at 2000/s for 10 s");
    EXPECT_TRUE(started.datagrams.empty()) << "storm traps leave from the runner, paced";
    EXPECT_TRUE(traffic.StormRunning());
    EXPECT_FALSE(RunControlCommand("trap-rate 10 1", switches, traffic).ok) << "one at a time";

    now += std::chrono::milliseconds(2);
    const auto traps = traffic.TakeDueTraps(switches, 100);
    ASSERT_EQ(traps.size(), 5u);
    EXPECT_EQ(traps[4].bytes, switches.Agents()[1].BuildTrap("step-2000 000005 from 10.77.1.2"));

    const ControlResult stopped = RunControlCommand("trap-stop", switches, traffic);
    EXPECT_TRUE(stopped.ok);
    EXPECT_FALSE(traffic.StormRunning());
    EXPECT_FALSE(RunControlCommand("trap-stop", switches, traffic).ok);
    // The default text, once the last storm is over.
    ASSERT_TRUE(RunControlCommand("trap-rate 1 1", switches, traffic).ok);
    EXPECT_EQ(traffic.TakeDueTraps(switches, 100)[0].bytes,
              switches.Agents()[0].BuildTrap("storm 000001 from 10.77.1.1"));
}

TEST(ControlCommands, TrapBurstNumbersOneTrapPerSwitch) {
    struct Case {
        const char* command;
        const char* prefix;
    };
    const Case cases[] = {{"trap-burst", "burst"},
                          {"trap-burst  power restored ", "power restored"}};
    for (const Case& c : cases) {
        SwitchSet switches(Network());
        switches.Agents()[0].Settings().silent = true;
        const ControlResult result = RunCommand(c.command, switches);
        ASSERT_TRUE(result.ok) << result.text;
        EXPECT_EQ(result.text, "2 traps");
        EXPECT_EQ(result.datagrams, TrapTraffic::Burst(switches, c.prefix));
        ASSERT_EQ(result.datagrams.size(), 2u);
        EXPECT_EQ(result.datagrams[1].bytes,
                  switches.Agents()[2].BuildTrap(std::string(c.prefix) + " 000002 from 10.77.1.3"));
    }
}

TEST(ControlCommands, StatsReportTheTrapCounts) {
    SwitchSet switches(Network());
    TrapTraffic traffic([] { return kNow; });
    EXPECT_EQ(RunControlCommand("stats", switches, traffic).text,
              "traps sent 0\ntraps failed 0\nstorm none");
    traffic.CountTraps(3, 1);
    const ControlResult stats = RunControlCommand("stats", switches, traffic);
    ASSERT_TRUE(stats.ok);
    EXPECT_EQ(stats.text, "traps sent 2\ntraps failed 1\nstorm none");
}

// An upload of `image` into switch `index` of `switches`, as the manager sends it.
Upload UploadTo(SwitchSet& switches, std::size_t index, const Bytes& image,
                SteadyTime finished = kStart) {
    return RunUpload(
        [&](const Bytes& packet, TftpPort to) {
            return switches.Agents()[index].HandleTftp(From(packet, to), finished);
        },
        image, ClientStyle::AllToPort69);
}

TEST(ControlCommands, ImageTellsWhatTheSwitchReceivedAndWritesItsBytes) {
    SwitchSet switches(Network());
    const ControlResult none = RunCommand("image 10.77.1.2", switches);
    ASSERT_TRUE(none.ok) << none.text;
    EXPECT_EQ(none.text, "image none\nstate idle\nreceived 0 lost 0\nsent 0 lost 0\nduplicates 0");

    const Bytes image = Image(1000);
    ASSERT_TRUE(UploadTo(switches, 1, image).acknowledged);
    // The same block once more, as after a lost acknowledgement.
    switches.Agents()[1].HandleTftp(From(DataBlock(2, image)), kStart);
    const ControlResult told = RunCommand("image 10.77.1.2", switches);
    ASSERT_TRUE(told.ok) << told.text;
    EXPECT_EQ(told.text, "image 1000 bytes fnv1a-64 " + Fnv1a64Text(image) +
                             "\nname C:\\fw\\image.hex\nclient 10.77.0.1:64517\ntrigger no"
                             "\nelapsed-us 0\nstate restarting\nreceived 4 lost 0\nsent 4 lost 0"
                             "\nduplicates 1");

    const std::filesystem::path path =
        std::filesystem::path(::testing::TempDir()) / "fenwick-switch-image.bin";
    std::filesystem::remove(path);
    const ControlResult written = RunCommand("image 10.77.1.2 " + path.string(), switches);
    ASSERT_TRUE(written.ok) << written.text;
    std::ifstream file(path, std::ios::binary);
    const Bytes stored((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(stored, image);
    std::filesystem::remove(path);

    EXPECT_FALSE(RunCommand("image 10.77.1.2 /nonexistent-folder/image.bin", switches).ok);
}

TEST(ControlCommands, ImageDigestTellsImagesApart) {
    // FNV-1a 64 of the empty image is its offset basis; one changed byte changes the digest.
    EXPECT_EQ(Fnv1a64Text(Bytes{}), "cbf29ce484222325");
    EXPECT_EQ(Fnv1a64Text(Bytes{'a'}), "af63dc4c8601ec8c");
    Bytes changed = Image(1000);
    changed[999] ^= 1;
    EXPECT_NE(Fnv1a64Text(changed), Fnv1a64Text(Image(1000)));
}

TEST(ControlCommands, LossStartsItsDrawsAfreshFromTheSeed) {
    const auto lossyUpload = [](SwitchSet& switches) {
        UploadTo(switches, 0, Image(20000));
        return switches.Agents()[0].Tftp().Counts();
    };
    SwitchSet first(Network());
    ASSERT_TRUE(RunCommand("loss 10.77.1.1 30 5", first).ok);
    const TftpCounts counts = lossyUpload(first);
    EXPECT_GT(counts.receivedDropped + counts.sentDropped, 0u);

    // Draws already made elsewhere do not matter once the command has been given again.
    SwitchSet second(Network());
    ASSERT_TRUE(RunCommand("loss 10.77.1.1 50 9", second).ok);
    lossyUpload(second);
    second.Agents()[0].FinishRestart(kStart + std::chrono::hours(1));
    ASSERT_TRUE(RunCommand("loss all 30 5", second).ok);
    EXPECT_EQ(lossyUpload(second), counts);
}

} // namespace
} // namespace fenwick::sim
