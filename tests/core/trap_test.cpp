#include "core/monitor/trap_reception.h"
#include "core/monitor/trap_table.h"
#include "monitoring_fixture.h"

namespace fenwick::testing {
namespace {

class Traps : public MonitoringFixture {
protected:
    void SetUp() override {
        MonitoringFixture::SetUp();
        Start();
        Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2)});
        QObject::connect(&core->Indicator(), &TrapIndicator::trapIndicatorChanged,
                         [this](bool red) { indicator.push_back(red); });
        QObject::connect(&core->Reception(), &TrapReception::trapAccepted,
                         [this](const AcceptedTrap& trap) { accepted.push_back(trap); });
    }

    void Trap(int n, const std::string& text, bool terminated = true) {
        ReceiveTrap(
            TrapDatagram(AgentReply::Numbered(n), AgentReply::Numbered(n).ip, text, terminated));
    }

    std::string TrapLine(int n, const std::string& text) const {
        return std::string(kStartStamp) + " " + IpOf(n).toStdString() + " Trap :" + text + "\r\n";
    }

    const TrapEntry& Stored(std::size_t slot) const { return state->TrapTable[slot]; }

    std::vector<bool> indicator; // TrapIndicator changes: true red, false green
    std::vector<AcceptedTrap> accepted;
};

TEST_F(Traps, ATrapFromAMonitoredDeviceIsLoggedStoredAndTurnsTheIndicatorRed) {
    DeviceRecord expected = Entry(1);
    ASSERT_EQ(expected.ListState, kListStateNoRow) << "no reply or trap stored yet";
    expected.ListState = kListStateHasRow;
    Trap(2, "link 3 down");
    Trap(2, "link 3 up"); // in the same second

    EXPECT_EQ(LogBytes(), TrapLine(2, "link 3 down") + TrapLine(2, "link 3 up"));
    EXPECT_EQ(state->TrapCount, 2);
    for (std::size_t slot : {0u, 1u}) {
        EXPECT_EQ(FieldText(Stored(slot).TimeText), kStartStamp);
        EXPECT_EQ(FieldText(Stored(slot).DeviceIpText), IpOf(2).toStdString());
        EXPECT_EQ(Stored(slot).EventImage, 0);
    }
    EXPECT_EQ(FieldText(Stored(0).EventText), "link 3 down");
    EXPECT_EQ(FieldText(Stored(1).EventText), "link 3 up");
    EXPECT_EQ(FieldText(Stored(2).EventText), "");
    EXPECT_EQ(indicator, (std::vector<bool>{true, true}));
    ASSERT_EQ(accepted.size(), 2u) << "each accepted trap told once";
    EXPECT_EQ(accepted[1].timeText, kStartStamp);
    EXPECT_EQ(accepted[1].address, IpOf(2).toStdString());
    EXPECT_EQ(accepted[0].eventText, "link 3 down");
    EXPECT_EQ(accepted[1].eventText, "link 3 up");
    EXPECT_TRUE(SameBytes(Entry(1), expected)) << "a sign of life that changes nothing stored";
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Traps, TheEventTextEndsAtTheFirstZeroByteOrTheDatagramsEnd) {
    struct Case {
        const char* what;
        std::string sent;
        bool terminated;
        std::string logged;
        std::string stored;
    };
    const std::string longText(300, 'x');
    const Case cases[] = {
        {"terminated", "fan fail", true, "fan fail", "fan fail"},
        {"unterminated", "fan fail", false, "fan fail", "fan fail"},
        {"empty", "", true, "", ""},
        {"empty and unterminated", "", false, "", ""},
        {"zero inside", std::string("power\0junk", 10), false, "power", "power"},
        {"longer than the field", longText, false, longText, std::string(255, 'x')},
        {"line breaks", "a\r\nb\nc", true, "a  b c", "a\r\nb\nc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(LogPath());
        const std::int32_t slot = state->TrapCount;
        Trap(1, c.sent, c.terminated);
        EXPECT_EQ(LogBytes(), TrapLine(1, c.logged));
        EXPECT_EQ(FieldText(Stored(static_cast<std::size_t>(slot)).EventText), c.stored);
        EXPECT_EQ(state->TrapCount, slot + 1);
    }
}

TEST_F(Traps, ATrapNamingNoMonitoredDeviceLeavesNoTrace) {
    struct Case {
        const char* what;
        Bytes datagram;
    };
    const AgentReply one = AgentReply::Numbered(1);
    Bytes shortBody = TrapDatagram(one, one.ip, "x");
    shortBody.resize(kHeaderLength + 3); // three of the address's four bytes
    Bytes noBody = shortBody;
    noBody.resize(kHeaderLength);
    const Case cases[] = {
        {"unmonitored address", TrapDatagram(one, AgentReply::Numbered(7).ip, "boot")},
        {"address incomplete", shortBody},
        {"no body", noBody},
    };
    const DeviceTable before = state->MonitorTable;
    for (const Case& c : cases) {
        ReceiveTrap(c.datagram);
        EXPECT_FALSE(QFile::exists(LogPath())) << c.what;
    }
    EXPECT_EQ(state->TrapCount, 0);
    EXPECT_EQ(FieldText(Stored(0).EventText), "");
    EXPECT_TRUE(indicator.empty());
    EXPECT_TRUE(accepted.empty());
    EXPECT_EQ(std::memcmp(&before, &state->MonitorTable, sizeof before), 0);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Traps, TheBodysAddressNamesTheDeviceWhateverTheSource) {
    ReceiveTrap(TrapDatagram(AgentReply::Numbered(1), AgentReply::Numbered(2).ip, "cold start"),
                AgentReply::Numbered(1).ip);
    EXPECT_EQ(LogBytes(), TrapLine(2, "cold start"));
}

TEST_F(Traps, ATrapRevivesADeviceDeclaredNotAlive) {
    RunUntil(30000); // neither device answers
    ASSERT_EQ(Entry(0).StatusImage, 1);
    ASSERT_EQ(core->MonitorList().Image(0), 1);
    core->MonitorSelection().SelectRow(0);
    const DeviceRecord before = Entry(0);
    QFile::remove(LogPath());

    Trap(1, "cold start");

    const DeviceRecord& after = Entry(0);
    EXPECT_EQ(after.StatusImage, -1);
    EXPECT_EQ(after.ListState, kListStateHasRow);
    EXPECT_EQ(after.Answered, 1);
    EXPECT_EQ(after.MissCount, 0);
    DeviceRecord unchanged = before;
    unchanged.StatusImage = -1;
    unchanged.ListState = kListStateHasRow;
    unchanged.Answered = 1;
    unchanged.MissCount = 0;
    EXPECT_TRUE(SameBytes(after, unchanged));
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, 1}));
    EXPECT_TRUE(core->MonitorSelection().SelectedRows().empty()) << "the refreshed row";

    RunUntil(35000); // the next tick declares only the other device
    const std::string log = LogBytes();
    EXPECT_EQ(log.find(IpOf(1).toStdString() + " Not alive"), std::string::npos);
    EXPECT_NE(log.find(IpOf(2).toStdString() + " Not alive"), std::string::npos);
}

TEST(TrapTable, HoldsTheLatest1499AndSlidesForEachNewOne) {
    auto table = std::make_unique<TrapEntryTable>();
    std::int32_t count = 0;
    const auto store = [&](int n) {
        StoreTrap(*table, count, "01/05/2004 09:30:00", "10.77.0.1", "trap " + std::to_string(n));
    };
    const auto text = [&](std::size_t slot) {
        return std::string(FieldText((*table)[slot].EventText));
    };
    const TrapEntry zero = ZeroTrapEntry();

    for (int n = 1; n <= 1499; ++n) {
        store(n);
    }
    EXPECT_EQ(text(0), "trap 1");
    EXPECT_EQ(text(1498), "trap 1499");

    store(1500);
    EXPECT_EQ(count, 1500);
    EXPECT_EQ(text(0), "trap 2");
    EXPECT_EQ(text(1497), "trap 1499");
    EXPECT_EQ(text(1498), "trap 1500");
    EXPECT_EQ(std::memcmp(&(*table)[1499], &zero, sizeof zero), 0);

    (*table)[0].EventImage = kTrapImageSeen;
    store(1501);
    EXPECT_EQ(count, 1501);
    EXPECT_EQ(text(0), "trap 3");
    EXPECT_EQ((*table)[0].EventImage, kTrapImageNew) << "the seen mark went with trap 2";
    EXPECT_EQ(text(1498), "trap 1501");
    EXPECT_EQ(std::memcmp(&(*table)[1499], &zero, sizeof zero), 0);

    count = std::numeric_limits<std::int32_t>::max();
    store(1502);
    EXPECT_EQ(count, std::numeric_limits<std::int32_t>::max()) << "never wraps";
    EXPECT_EQ(text(1498), "trap 1502");

    ClearTraps(*table, count);
    EXPECT_EQ(count, 0);
    for (std::size_t slot : {0u, 1498u}) {
        EXPECT_EQ(std::memcmp(&(*table)[slot], &zero, sizeof zero), 0);
    }
    store(1);
    EXPECT_EQ(text(0), "trap 1");
}

} // namespace
} // namespace fenwick::testing
