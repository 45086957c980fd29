#include "core/monitor/liveness_polling.h"
#include "core/monitor/request_accounting.h"
#include "monitoring_fixture.h"

#include <QDir>
#include <limits>
#include <optional>

namespace fenwick::testing {
namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;

bool Never(int, std::int64_t) {
    return false;
}
bool Always(int, std::int64_t) {
    return true;
}

// `first`, `first` + `step`, ... up to `last`, after the times in `before`.
std::vector<std::int64_t> Every(std::int64_t first, std::int64_t step, std::int64_t last,
                                std::vector<std::int64_t> before = {}) {
    for (std::int64_t at = first; at <= last; at += step) {
        before.push_back(at);
    }
    return before;
}

class Liveness : public MonitoringFixture {
protected:
    // Runs until `until`, noting when entry `slot` first shows the failure image.
    std::optional<std::int64_t> RunUntilDeclared(std::int64_t until, const Answers& answers,
                                                 int slot = 0) {
        std::optional<std::int64_t> declared;
        RunUntil(until, answers, [&] {
            if (!declared && Entry(slot).StatusImage == 1) {
                declared = clock.Now();
            }
        });
        return declared;
    }

    // The not-alive lines of the given devices at each of the given times, in that order.
    std::string NotAliveLines(const std::vector<std::int64_t>& times,
                              const std::vector<int>& agents) const {
        std::string lines;
        for (std::int64_t at : times) {
            for (int n : agents) {
                lines += Stamp(at) + " " + IpOf(n).toStdString() + " Not alive \r\n";
            }
        }
        return lines;
    }
};

TEST(RequestAccounting, AnAnsweredEntryStartsAfreshAndAnyOtherMissesOneMore) {
    struct Case {
        std::int32_t answered, missCount;
        std::int32_t answeredAfter, missCountAfter;
    };
    constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();
    for (const Case& c : {Case{1, 0, 0, 0}, Case{1, 5, 0, 0}, Case{0, 0, 0, 1}, Case{0, 2, 0, 3},
                          Case{0, kMost, 0, kMost}}) {
        DeviceTable table{};
        table[3].Answered = c.answered;
        table[3].MissCount = c.missCount;
        MarkRequestSent(table, 3);
        EXPECT_EQ(table[3].Answered, c.answeredAfter) << c.answered << "/" << c.missCount;
        EXPECT_EQ(table[3].MissCount, c.missCountAfter) << c.answered << "/" << c.missCount;
    }
}

TEST_F(Liveness, DiscoveryCountsARequestToEveryMonitoredDevice) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    state->MonitorTable[1].Answered = 0;
    state->MonitorTable[2].Answered = 0;
    state->MonitorTable[2].MissCount = 2;
    state->MonitorTable[3].Answered = 1; // past the occupied entries: not counted

    core->Discovery();

    const std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 1}, {0, 3}, {1, 0}};
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(std::make_pair(Entry(slot).Answered, Entry(slot).MissCount),
                  expected[static_cast<std::size_t>(slot)])
            << "slot " << slot;
    }
}

// The first poll a silent device leaves unanswered only resets its accounting; the next one
// makes MissCount 1, two ticks resend and make it 3, and a tick after that gives the verdict.
class StopsAnswering : public Liveness, public ::testing::WithParamInterface<std::int64_t> {};

TEST_P(StopsAnswering, IsDeclared25To30SecondsAfterTheFirstPollItLeavesUnanswered) {
    const std::int64_t stopsAt = GetParam();
    Start();
    Monitor({AgentReply::Numbered(1)});

    const auto declared =
        RunUntilDeclared(stopsAt + 2 * kMinute, [&](int, std::int64_t at) { return at < stopsAt; });

    const std::vector<std::int64_t> times = PollTimes(1);
    const auto firstUnanswered =
        std::find_if(times.begin(), times.end(), [&](std::int64_t at) { return at >= stopsAt; });
    ASSERT_NE(firstUnanswered, times.end());
    ASSERT_TRUE(declared.has_value());
    EXPECT_GE(*declared - *firstUnanswered, 25 * kSecond);
    EXPECT_LE(*declared - *firstUnanswered, 30 * kSecond);
    EXPECT_EQ(LogBytes().substr(0, LogBytes().find('\n') + 1), NotAliveLines({*declared}, {1}));
    EXPECT_EQ(Entry(0).ListState, kListStateNotAlive);
    EXPECT_EQ(core->MonitorList().Image(0), 1);
    EXPECT_TRUE(prompts.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Liveness, StopsAnswering,
                         ::testing::Values(0, 1 * kSecond, 15 * kSecond, 16 * kSecond,
                                           44 * kSecond));

// A device added by its address has never answered: its very first poll counts as missed.
class WaitingEntry : public Liveness, public ::testing::WithParamInterface<std::int64_t> {};

TEST_P(WaitingEntry, IsDeclared10To15SecondsAfterItsFirstPoll) {
    const std::int64_t addedAt = GetParam();
    Start();
    if (addedAt > 0) {
        RunUntil(addedAt);
    }
    MonitorWaiting(1);

    const auto declared = RunUntilDeclared(addedAt + kMinute, Never);

    const std::vector<std::int64_t> times = PollTimes(1);
    ASSERT_FALSE(times.empty());
    ASSERT_TRUE(declared.has_value());
    EXPECT_GE(*declared - times.front(), 10 * kSecond);
    EXPECT_LE(*declared - times.front(), 15 * kSecond);
}

INSTANTIATE_TEST_SUITE_P(Liveness, WaitingEntry, ::testing::Values(0, 7 * kSecond, 22 * kSecond));

TEST_F(Liveness, ADeviceThatAnswersAResendIsNeverDeclared) {
    Start();
    Monitor({AgentReply::Numbered(1)});
    // Ticks come 5 s apart, 15 s polls on the same beat: only the second resend after each
    // missed poll is answered.
    const auto answersSecondResend = [](int, std::int64_t at) { return at % 15000 == 5000; };

    const auto declared = RunUntilDeclared(10 * kMinute, answersSecondResend);

    EXPECT_FALSE(declared.has_value());
    EXPECT_EQ(LogBytes(), "");
    const std::size_t cycles = 10 * kMinute / (15 * kSecond) + 1;
    EXPECT_GT(PollTimes(1).size(), cycles) << "resends were sent and answered";
}

TEST_F(Liveness, AnEntryShowingTheFailureImageGetsOnlyTheRegularPolls) {
    DeviceRecord record = StoredRecordOf(AgentReply::Numbered(1));
    record.StatusImage = 1;
    WriteFile(MonitorPath(), BytesOf(std::span<const DeviceRecord>(&record, 1)));
    Start();
    ASSERT_EQ(core->MonitorList().Image(0), 1);

    RunUntil(kMinute, Never);

    EXPECT_EQ(PollTimes(1), (std::vector<std::int64_t>{0, 15000, 30000, 45000, 60000}));
    EXPECT_GE(Entry(0).MissCount, 3);
    EXPECT_NE(LogBytes(), "") << "still declared once it has missed three";
}

TEST_F(Liveness, EachTickWritesOneLinePerDeadDeviceAndPollsGoOn) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    const auto onlyTwoAnswers = [](int agent, std::int64_t) { return agent == 2; };

    const auto declared = RunUntilDeclared(kMinute, onlyTwoAnswers);

    ASSERT_TRUE(declared.has_value());
    std::vector<std::int64_t> ticks;
    for (std::int64_t at = *declared; at <= kMinute; at += LivenessPolling::kTickMilliseconds) {
        ticks.push_back(at);
    }
    EXPECT_EQ(LogBytes(), NotAliveLines(ticks, {1, 3}));
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{1, -1, 1}));
    std::vector<std::int64_t> pollsAfter = PollTimes(3);
    std::erase_if(pollsAfter, [&](std::int64_t at) { return at <= *declared; });
    EXPECT_EQ(pollsAfter, (std::vector<std::int64_t>{30000, 45000, 60000}))
        << "every cycle still polls it; no tick resends";
}

struct RefreshCase {
    std::int64_t choiceAt;
    int seconds;
    std::vector<std::int64_t> cycles; // up to 5 min 20 s
};

void PrintTo(const RefreshCase& c, std::ostream* out) {
    *out << c.seconds << " s chosen at " << c.choiceAt << " ms";
}

class RefreshTime : public Liveness, public ::testing::WithParamInterface<RefreshCase> {};

TEST_P(RefreshTime, TakesEffectWhenTheNextWaitBegins) {
    const RefreshCase& c = GetParam();
    Start();
    Monitor({AgentReply::Numbered(1)});
    RunUntil(c.choiceAt, Always);
    core->SetRefreshSeconds(c.seconds);

    RunUntil(320 * kSecond, Always);

    EXPECT_EQ(PollTimes(1), c.cycles);
}

INSTANTIATE_TEST_SUITE_P(
    Liveness, RefreshTime,
    ::testing::Values(
        // The 15 s wait in progress runs out; the next one lasts 5 minutes.
        RefreshCase{3000, 300, {0, 15000, 315000}},
        RefreshCase{20000, 30, Every(60000, 30000, 300000, {0, 15000, 30000})},
        // The value already chosen, and a value the menu does not offer, change nothing.
        RefreshCase{3000, 15, Every(0, 15000, 315000)},
        RefreshCase{3000, 7, Every(0, 15000, 315000)}));

TEST_F(Liveness, AnEmptyMonitorListSendsAndLogsNothing) {
    Start();
    RunUntil(10 * kMinute);
    EXPECT_TRUE(network.sent.empty());
    EXPECT_FALSE(QFile::exists(LogPath()));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Liveness, ShutdownStopsThePolling) {
    Start();
    Monitor({AgentReply::Numbered(1)});
    RunUntil(20 * kSecond, Never);
    const std::size_t sent = network.sent.size();
    core->Shutdown();

    RunUntil(10 * kMinute, Never);

    EXPECT_EQ(network.sent.size(), sent);
    EXPECT_EQ(clock.ActiveTimers(), 0);
    EXPECT_TRUE(prompts.boxes.empty()) << "nothing tries the closed sockets";
}

TEST_F(Liveness, FailedSendsAreToldOncePerDeviceAndPollingGoesOn) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2)});
    network.sendError = 101; // ENETUNREACH

    RunUntil(15 * kSecond);

    const RecordingPrompts::Box polling{QStringLiteral("polling error 101"), kApplicationName,
                                        UserPrompts::Icon::Warning, UserPrompts::Buttons::Ok};
    const RecordingPrompts::Box resend{QStringLiteral("Resend fail"), QStringLiteral("Warnibg"),
                                       UserPrompts::Icon::Warning, UserPrompts::Buttons::Ok};
    // Polls at 0 and 15 s; the tick at 15 s, armed after that cycle's wait, comes after it and
    // resends to both devices, which have missed one.
    const std::vector<RecordingPrompts::Box> expected = {polling, polling, polling,
                                                         polling, resend,  resend};
    ASSERT_EQ(prompts.boxes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(prompts.boxes[i].text, expected[i].text) << i;
        EXPECT_EQ(prompts.boxes[i].caption, expected[i].caption) << i;
        EXPECT_EQ(prompts.boxes[i].icon, expected[i].icon) << i;
        EXPECT_EQ(prompts.boxes[i].buttons, expected[i].buttons) << i;
    }
    EXPECT_EQ(Entry(1).MissCount, 2) << "a failed send still counts";
}

TEST_F(Liveness, AUnicastSocketThatNeverOpenedFailsEveryPoll) {
    const std::vector<DeviceRecord> records = {StoredRecordOf(AgentReply::Numbered(1)),
                                               StoredRecordOf(AgentReply::Numbered(2))};
    WriteFile(MonitorPath(), BytesOf(records));
    network.failCreate = true;
    Start();
    RunUntil(0);
    EXPECT_EQ(
        BoxTexts(),
        (QStringList{QStringLiteral("Creat Socket error"), QStringLiteral("Creat Socket error"),
                     QStringLiteral("polling error 9"), QStringLiteral("polling error 9")}));
}

TEST_F(Liveness, TicksGoOnWhileAResendBoxWaitsForTheOperator) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    RunUntil(14 * kSecond, Always);
    network.unreachable.insert(AgentReply::Numbered(1).ip); // device 1's cable is pulled
    bool away = false;
    prompts.whileOpen = [&](const RecordingPrompts::Box& box) {
        if (box.text != QLatin1String("Resend fail") || away) {
            return;
        }
        // The operator is away for a minute; device 3 comes back meanwhile and answers every
        // second.
        away = true;
        for (int second = 0; second < 60; ++second) {
            clock.Advance(kSecond);
            if (clock.Now() >= 36 * kSecond) {
                Receive(AgentReply::Numbered(3), kTestBasePort + 1);
            }
        }
    };

    // Device 1's first resend fails at 30 s and its box stays open until 90 s.
    RunUntil(2 * kMinute, Never);

    ASSERT_TRUE(away);
    EXPECT_EQ(BoxTexts().count(QStringLiteral("Resend fail")), 1);
    // Device 1 has missed three at the tick of 40 s, device 2 (whose resends go out under the
    // box) at that of 45 s; every tick after that writes their lines, box or no box.
    EXPECT_EQ(LogBytes(), NotAliveLines({40 * kSecond}, {1}) +
                              NotAliveLines(Every(45 * kSecond, 5 * kSecond, 2 * kMinute), {1, 2}));
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{1, 1, -1}))
        << "the device that came back is not judged";
}

TEST_F(Liveness, ADeviceThatAnswersUnderItsVerdictsBoxIsNotMarked) {
    Start();
    Monitor({AgentReply::Numbered(1)});
    ASSERT_TRUE(QDir().mkpath(LogPath())); // every append fails with a box
    bool answered = false;
    prompts.whileOpen = [&](const RecordingPrompts::Box& box) {
        if (box.text == QLatin1String("syslog.log not exit") && !answered) {
            answered = true;
            Receive(AgentReply::Numbered(1), kTestBasePort + 1);
        }
    };

    const auto declared = RunUntilDeclared(30 * kSecond, Never);

    ASSERT_TRUE(answered);
    EXPECT_FALSE(declared.has_value());
    EXPECT_EQ(Entry(0).ListState, kListStateHasRow);
    EXPECT_EQ(Images(core->MonitorList()), std::vector<int>{-1});
}

TEST_F(Liveness, AVerdictLandsOnTheEntryJudgedNotOnAnotherWithItsAddress) {
    // Two entries of one address from a file: every answer from that address is filed under
    // the first, so the second is the one that falls silent.
    DeviceRecord twin = StoredRecordOf(AgentReply::Numbered(1));
    SetFieldText(twin.MacText, "00aa00aa00aa");
    const std::vector<DeviceRecord> records = {StoredRecordOf(AgentReply::Numbered(1)), twin};
    WriteFile(MonitorPath(), BytesOf(records));
    Start();

    RunUntil(30 * kSecond, Always);

    EXPECT_EQ(Entry(1).StatusImage, 1);
    EXPECT_EQ(Entry(1).ListState, kListStateNotAlive);
    EXPECT_EQ(Entry(0).StatusImage, -1);
}

// An entry without an address (a file from elsewhere, or a device that reported 0.0.0.0) is
// passed over; the devices after it are polled, counted and judged as any other.
class EntryWithoutAddress : public Liveness, public ::testing::WithParamInterface<const char*> {};

TEST_P(EntryWithoutAddress, DoesNotEndTheWalks) {
    DeviceRecord blank = ZeroRecord();
    SetFieldText(blank.IpText, GetParam());
    SetFieldText(blank.MacText, "00aa00aa00aa");
    const std::vector<DeviceRecord> records = {StoredRecordOf(AgentReply::Numbered(1)), blank,
                                               StoredRecordOf(AgentReply::Numbered(3))};
    WriteFile(MonitorPath(), BytesOf(records));
    Start();

    core->Discovery();
    EXPECT_EQ(std::make_pair(Entry(2).Answered, Entry(2).MissCount), std::make_pair(0, 0))
        << "the broadcast counts as a request to the device after it";

    const auto declared = RunUntilDeclared(
        kMinute, [](int agent, std::int64_t) { return agent == 1; }, 2);

    EXPECT_FALSE(PollTimes(3).empty());
    EXPECT_TRUE(declared.has_value());
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, -1, 1}));
    for (const Poll& poll : polls) {
        EXPECT_NE(poll.address, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Liveness, EntryWithoutAddress, ::testing::Values("0.0.0.0", ""));

TEST_F(Liveness, AVerdictGoesToItsDeviceEvenIfTheListChangedUnderItsBox) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2)});
    ASSERT_TRUE(QDir().mkpath(LogPath())); // every append fails with a box
    bool deleted = false;
    prompts.whileOpen = [&](const RecordingPrompts::Box& box) {
        if (box.text == QLatin1String("syslog.log not exit") && !deleted) {
            deleted = true; // the operator deletes the dead device meanwhile
            core->MonitorSelection().SelectRow(
                core->MonitorList().FindRow(kIpColumn, IpOf(1)).value_or(-1));
            core->DeleteItem();
        }
    };

    // Up to the tick of the verdict: the next poll's answer would hide a wrong one.
    RunUntil(25 * kSecond, [](int agent, std::int64_t) { return agent == 2; });

    ASSERT_TRUE(deleted);
    EXPECT_EQ(TableIps(), QStringList{IpOf(2)});
    EXPECT_EQ(Entry(0).StatusImage, -1) << "the device that answers stays alive";
    EXPECT_EQ(Images(core->MonitorList()), std::vector<int>{-1});
}

} // namespace
} // namespace fenwick::testing
