// Trap storms and bursts: which switch sends each trap, what it says, when it leaves, and what
// stats reports. The clock is the test's own.
#include "codec/packet_header.h"
#include "fenwick-switch/trap_traffic.h"
#include "switch_fixtures.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace fenwick::sim {
namespace {

using namespace testing;
using std::chrono::microseconds;
using std::chrono::milliseconds;

const char* const kAddresses[] = {"10.77.1.1", "10.77.1.2", "10.77.1.3", "10.77.1.4"};

NetworkSettings Network() {
    NetworkSettings settings;
    settings.agentKey = kKey;
    settings.basePort = 8080;
    for (const char* ip : kAddresses) {
        SwitchSettings sw = LabSwitch();
        sw.ip = Ip(ip);
        sw.mac[5] = static_cast<std::uint8_t>(Ip(ip));
        settings.switches.push_back(sw);
    }
    return settings;
}

struct ManualClock {
    SteadyTime now = SteadyTime{} + std::chrono::hours(2);
    TrapTraffic::Clock Reader() {
        return [this] { return now; };
    }
};

// The event text of a trap datagram, after the header and the 4-byte address.
std::string EventText(const OutgoingDatagram& trap) {
    const auto text = trap.bytes.begin() + kHeaderLength + 4;
    return std::string(text, std::find(text, trap.bytes.end(), 0));
}

// "key value" pairs of the stats lines, by line prefix: {"storm", {"sent", "5"}, ...}.
std::map<std::string, std::string> StormFigures(const std::string& stats) {
    std::map<std::string, std::string> figures;
    std::istringstream lines(stats);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, key, value;
        words >> first;
        if (first == "traps") {
            words >> key >> value;
            figures["traps " + key] = value;
        } else if (first == "storm") {
            words >> value;
            figures["state"] = value;
            while (words >> key >> value) {
                figures[key] = value;
            }
        }
    }
    return figures;
}

class TrapStorm : public ::testing::Test {
protected:
    std::vector<OutgoingDatagram> Take(std::size_t limit = 100000) {
        return traffic.TakeDueTraps(switches, limit);
    }

    SwitchSet switches{Network()};
    ManualClock clock;
    TrapTraffic traffic{clock.Reader()};
};

TEST_F(TrapStorm, TakesTheSwitchesInTurnSkippingThoseThatCannotSend) {
    struct Case {
        const char* name;
        std::vector<std::size_t> silent;
        std::vector<std::size_t> withoutReceiver;
        std::vector<std::size_t> expectedOrder; // indexes of the senders, repeating
    };
    const Case cases[] = {
        {"all can send", {}, {}, {0, 1, 2, 3}},
        {"second silent", {1}, {}, {0, 2, 3}},
        {"first silent, last without receiver", {0}, {3}, {1, 2}},
        {"only one left", {0, 2}, {1}, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SwitchSet set(Network());
        for (std::size_t i : c.silent) {
            set.Agents()[i].Settings().silent = true;
        }
        for (std::size_t i : c.withoutReceiver) {
            set.Agents()[i].Settings().trapReceiver = 0;
        }
        ManualClock ownClock;
        TrapTraffic own(ownClock.Reader());
        ASSERT_EQ(own.StartStorm({100, 1, "storm"}, set), "");
        ownClock.now += milliseconds(999);
        const std::vector<OutgoingDatagram> traps = own.TakeDueTraps(set, 1000);
        ASSERT_EQ(traps.size(), 100u);
        for (std::size_t k = 0; k < traps.size(); ++k) {
            const Agent& sender = set.Agents()[c.expectedOrder[k % c.expectedOrder.size()]];
            EXPECT_EQ(traps[k].source, sender.Settings().ip) << "trap " << k + 1;
            EXPECT_EQ(traps[k].destination, Ip("10.77.0.1"));
            EXPECT_EQ(traps[k].port, 8080);
            EXPECT_EQ(traps[k].bytes,
                      sender.BuildTrap(NumberedTrapText("storm", k + 1, sender.Settings().ip)))
                << "trap " << k + 1;
        }
        EXPECT_FALSE(own.StormRunning());
    }
}

TEST_F(TrapStorm, EventTextsCarryTheSequenceNumberAndTheSender) {
    struct Case {
        std::string prefix;
        std::uint64_t sequence;
        const char* from;
        std::string expected;
    };
    const Case cases[] = {
        {"storm", 123, "10.77.1.5", "storm 000123 from 10.77.1.5"},
        {"storm", 1, "10.77.1.1", "storm 000001 from 10.77.1.1"},
        {"step 2000/s", 1234567, "10.77.2.44", "step 2000/s 1234567 from 10.77.2.44"},
        {"", 42, "10.77.1.9", "000042 from 10.77.1.9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberedTrapText(c.prefix, c.sequence, Ip(c.from)), c.expected);
    }
    ASSERT_EQ(traffic.StartStorm({10, 1, "link flap"}, switches), "");
    clock.now += milliseconds(250);
    const auto traps = Take();
    ASSERT_EQ(traps.size(), 3u);
    EXPECT_EQ(EventText(traps[0]), "link flap 000001 from 10.77.1.1");
    EXPECT_EQ(EventText(traps[2]), "link flap 000003 from 10.77.1.3");
}

TEST_F(TrapStorm, KeepsToTheStartWhateverTheWakeUpsAreLate) {
    // Wake-ups at uneven, late moments: the count sent by each moment stays what the rate
    // asks from the start, so no delay carries over into later traps.
    const std::uint32_t rate = 1000;
    ASSERT_EQ(traffic.StartStorm({rate, 10, "storm"}, switches), "");
    const SteadyTime start = clock.now;
    const microseconds steps[] = {microseconds(0),     microseconds(1500), microseconds(37),
                                  microseconds(20000), microseconds(999),  microseconds(1),
                                  microseconds(250000)};
    std::uint64_t sent = 0;
    std::uint64_t expectedSequence = 1;
    for (int round = 0; round < 400 && traffic.StormRunning(); ++round) {
        clock.now += steps[round % std::size(steps)];
        const auto traps = Take();
        for (const OutgoingDatagram& trap : traps) {
            EXPECT_EQ(EventText(trap), NumberedTrapText("storm", expectedSequence, trap.source));
            ++expectedSequence;
        }
        sent += traps.size();
        const auto elapsed = std::chrono::nanoseconds(clock.now - start).count();
        const std::uint64_t expected =
            std::min<std::uint64_t>(10000, static_cast<std::uint64_t>(elapsed) / 1'000'000 + 1);
        ASSERT_EQ(sent, expected) << "round " << round;
    }
    EXPECT_EQ(sent, 10000u);
    EXPECT_FALSE(traffic.StormRunning());
    EXPECT_FALSE(traffic.NextWake().has_value());
}

TEST_F(TrapStorm, HandsOutAtMostTheLimitAndCatchesUpAtOnceAfterwards) {
    ASSERT_EQ(traffic.StartStorm({10000, 1, "storm"}, switches), "");
    clock.now += milliseconds(100); // 1001 due
    EXPECT_EQ(Take(256).size(), 256u);
    // Still behind: the runner is told to come back at once, not after a tick.
    ASSERT_TRUE(traffic.NextWake().has_value());
    EXPECT_LE(*traffic.NextWake(), clock.now);
    EXPECT_EQ(Take(256).size(), 256u);
    EXPECT_EQ(Take(1000).size(), 489u);
    EXPECT_EQ(Take(1000).size(), 0u);
}

TEST_F(TrapStorm, WakesWhenTheNextTrapIsDueButNotMoreOftenThanATick) {
    struct Case {
        std::uint32_t rate;
        microseconds expectedWait; // after a round that took everything due
    };
    const Case cases[] = {
        {10, microseconds(100000)}, // slow: exactly the next trap's time
        {1000, microseconds(1000)},
        {100000, kStormTick}, // fast: one tick, then a batch
    };
    for (const Case& c : cases) {
        ManualClock ownClock;
        TrapTraffic own(ownClock.Reader());
        EXPECT_FALSE(own.NextWake().has_value()) << "no storm yet";
        ASSERT_EQ(own.StartStorm({c.rate, 5, "storm"}, switches), "");
        // The first trap leaves at once.
        ASSERT_TRUE(own.NextWake().has_value());
        EXPECT_EQ(*own.NextWake(), ownClock.now);
        EXPECT_EQ(own.TakeDueTraps(switches, 1000).size(), 1u);
        EXPECT_EQ(*own.NextWake(), ownClock.now + c.expectedWait) << c.rate << "/s";
    }
}

TEST_F(TrapStorm, EndsWhenNoSwitchCanSendAnyMore) {
    ASSERT_EQ(traffic.StartStorm({100, 10, "storm"}, switches), "");
    clock.now += milliseconds(19); // traps 1 and 2
    EXPECT_EQ(Take().size(), 2u);
    switches.Agents()[2].Settings().silent = true;
    clock.now += milliseconds(20); // traps 3 and 4: switches 4 and 1, 3 is passed over
    const auto traps = Take();
    ASSERT_EQ(traps.size(), 2u);
    EXPECT_EQ(traps[0].source, Ip("10.77.1.4"));
    EXPECT_EQ(traps[1].source, Ip("10.77.1.1"));
    for (Agent& agent : switches.Agents()) {
        agent.Settings().silent = true;
    }
    clock.now += milliseconds(100);
    EXPECT_TRUE(Take().empty());
    EXPECT_FALSE(traffic.StormRunning());
    const auto figures = StormFigures(traffic.StatsText());
    EXPECT_EQ(figures.at("state"), "ended");
    EXPECT_EQ(figures.at("taken"), "4");
    EXPECT_NE(traffic.StatsText().find("no switch could send"), std::string::npos);
}

TEST_F(TrapStorm, StartsOnlyWhenNoneRunsAndSomeSwitchCanSend) {
    EXPECT_FALSE(traffic.StopStorm()) << "nothing to stop";
    ASSERT_EQ(traffic.StartStorm({100, 10, "storm"}, switches), "");
    EXPECT_NE(traffic.StartStorm({100, 10, "again"}, switches), "");
    EXPECT_TRUE(traffic.StopStorm());
    EXPECT_FALSE(traffic.StormRunning());
    clock.now += milliseconds(500);
    EXPECT_TRUE(Take().empty()) << "a stopped storm sends nothing more";
    EXPECT_EQ(StormFigures(traffic.StatsText()).at("state"), "stopped");

    for (Agent& agent : switches.Agents()) {
        agent.Settings().silent = true;
    }
    EXPECT_NE(traffic.StartStorm({100, 10, "storm"}, switches), "");
    EXPECT_FALSE(traffic.StormRunning());
}

TEST_F(TrapStorm, StatsCountWhatTheSocketSentAndFailed) {
    EXPECT_EQ(StormFigures(traffic.StatsText()).at("state"), "none");
    traffic.CountTraps(5, 0); // a trap-all of five
    ASSERT_EQ(traffic.StartStorm({1000, 2, "storm"}, switches), "");
    clock.now += milliseconds(500);
    const auto first = Take();
    ASSERT_EQ(first.size(), 501u);
    traffic.CountStormTraps(first.size(), 3);

    auto figures = StormFigures(traffic.StatsText());
    EXPECT_EQ(figures.at("traps sent"), "503");
    EXPECT_EQ(figures.at("traps failed"), "3");
    EXPECT_EQ(figures.at("state"), "running");
    EXPECT_EQ(figures.at("rate"), "1000");
    EXPECT_EQ(figures.at("seconds"), "2");
    EXPECT_EQ(figures.at("planned"), "2000");
    EXPECT_EQ(figures.at("taken"), "501");
    EXPECT_EQ(figures.at("sent"), "498");
    EXPECT_EQ(figures.at("failed"), "3");
    EXPECT_EQ(figures.at("elapsed-ms"), "500.000");

    clock.now += milliseconds(3000);
    const auto rest = Take();
    ASSERT_EQ(rest.size(), 1499u);
    traffic.CountStormTraps(rest.size(), 0);
    figures = StormFigures(traffic.StatsText());
    EXPECT_EQ(figures.at("state"), "finished");
    EXPECT_EQ(figures.at("sent"), "1997");
    EXPECT_EQ(figures.at("traps sent"), "2002");
    // The last round came 2999 ms after the first trap it took (the 502nd) was due.
    EXPECT_EQ(figures.at("late-max-ms"), "2999.000");
    EXPECT_EQ(figures.at("elapsed-ms"), "3500.000");
}

TEST(TrapBurst, OneNumberedTrapFromEverySwitchThatCanSend) {
    SwitchSet switches(Network());
    switches.Agents()[1].Settings().silent = true;
    const std::vector<OutgoingDatagram> traps = TrapTraffic::Burst(switches, "cold start");
    ASSERT_EQ(traps.size(), 3u);
    const std::size_t senders[] = {0, 2, 3};
    for (std::size_t k = 0; k < traps.size(); ++k) {
        const Agent& sender = switches.Agents()[senders[k]];
        EXPECT_EQ(traps[k].source, sender.Settings().ip);
        EXPECT_EQ(traps[k].destination, sender.Settings().trapReceiver);
        EXPECT_EQ(traps[k].port, 8080);
        EXPECT_EQ(traps[k].bytes,
                  sender.BuildTrap(NumberedTrapText("cold start", k + 1, sender.Settings().ip)));
    }
}

} // namespace
} // namespace fenwick::sim
