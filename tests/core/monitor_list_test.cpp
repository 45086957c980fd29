#include "monitor_list_fixture.h"

namespace fenwick::testing {
namespace {

class MonitorList : public MonitorListFixture {
protected:
    void SetUp() override {
        MonitorListFixture::SetUp();
        Start();
    }

    // Puts a record straight into the next MonitorTable slot and shows it, as adding a device
    // by its address does.
    void MonitorRecord(DeviceRecord record) {
        const int slot = core->MonitorList().RowCount();
        record.ListState = kListStateNoRow;
        state->MonitorTable[static_cast<std::size_t>(slot)] = record;
        core->ShowMonitorRow(slot);
    }
};

TEST_F(MonitorList, AddsTheSelectedDevicesAndRefusesAnAddressAlreadyMonitored) {
    Discover({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    AgentReply other = AgentReply::Numbered(9);
    other.ip = AgentReply::Numbered(2).ip; // device 2's address, already in the monitor list
    MonitorRecord(StoredRecordOf(other));
    Select(core->DiscoverySelection(), {0, 1, 2});

    core->AddToMonitorList();

    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, QStringLiteral("Duplicate ip "));
    EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("Add fail"));
    EXPECT_EQ(prompts.boxes[0].icon, UserPrompts::Icon::Error);
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(2), IpOf(1), IpOf(3)}));
    EXPECT_EQ(Column(core->MonitorList(), kMacColumn), (QStringList{MacOf(9), MacOf(1), MacOf(3)}));
    EXPECT_EQ(Keys(core->MonitorList()), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(TableIps(), (QStringList{IpOf(2), IpOf(1), IpOf(3)}));
    // The copy starts without an image and without a row of its own; the rest is the
    // discovered record.
    DeviceRecord expected = state->MonitorTable[1];
    EXPECT_EQ(expected.StatusImage, -1);
    EXPECT_EQ(expected.ListState, kListStateNoRow);
    EXPECT_EQ(expected.Answered, 1);
    expected.ListState = kListStateHasRow;
    const DeviceRecord discovered = StoredRecordOf(AgentReply::Numbered(1));
    EXPECT_TRUE(SameBytes(expected, discovered));
    // The refused device stays, alone, in slot 0.
    EXPECT_EQ(Column(core->DiscoveryList(), 0), QStringList{MacOf(2)});
    EXPECT_EQ(DiscoveryMacs(), QStringList{MacOf(2)});
}

TEST_F(MonitorList, TwoDiscoveredDevicesWithOneAddressAreBothRefused) {
    struct Case {
        std::vector<int> selected;
        int refusals;
        QStringList monitored;
    };
    // Rows 0 and 1 share an address; row 2 is a device of its own.
    const Case cases[] = {
        {{0}, 1, {}},
        {{1}, 1, {}},
        {{0, 1}, 2, {}},
        {{0, 1, 2}, 2, {IpOf(3)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "selected " << c.selected.size() << " rows");
        Restart();
        AgentReply twin = AgentReply::Numbered(2);
        twin.ip = AgentReply::Numbered(1).ip;
        Discover({AgentReply::Numbered(1), twin, AgentReply::Numbered(3)});
        Select(core->DiscoverySelection(), c.selected);

        core->AddToMonitorList();

        EXPECT_EQ(BoxTexts(), QStringList(c.refusals, QStringLiteral("Duplicate ip ")));
        EXPECT_EQ(Column(core->MonitorList(), kIpColumn), c.monitored);
        EXPECT_EQ(TableIps(), c.monitored);
        const QStringList left = c.monitored.isEmpty() ? QStringList{MacOf(1), MacOf(2), MacOf(3)}
                                                       : QStringList{MacOf(1), MacOf(2)};
        EXPECT_EQ(Column(core->DiscoveryList(), 0), left);
        EXPECT_EQ(DiscoveryMacs(), left);
    }
}

TEST_F(MonitorList, NothingSelectedAddsNothing) {
    Discover({AgentReply::Numbered(1)});
    core->AddToMonitorList();
    core->DiscoveryDoubleClicked();
    EXPECT_EQ(core->MonitorList().RowCount(), 0);
    EXPECT_EQ(DiscoveryMacs(), QStringList{MacOf(1)});
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(MonitorList, AFullMonitorListRefusesTheDeviceAndKeepsItDiscovered) {
    for (int n = 1; n <= 256; ++n) {
        MonitorRecord(StoredRecordOf(AgentReply::Numbered(n)));
    }
    Discover({AgentReply::Numbered(300)});
    Select(core->DiscoverySelection(), {0});

    core->AddToMonitorList();

    ASSERT_EQ(BoxTexts(), QStringList{QStringLiteral("out of 256 device in monitor list")});
    EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(prompts.boxes[0].icon, UserPrompts::Icon::Error);
    EXPECT_EQ(core->MonitorList().RowCount(), 256);
    EXPECT_EQ(DiscoveryMacs(), QStringList{MacOf(300)});
}

TEST_F(MonitorList, DoubleClickMovesOnlyALoneSelectedDevice) {
    Discover({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    Select(core->DiscoverySelection(), {0, 2});
    core->DiscoveryDoubleClicked();
    EXPECT_EQ(core->MonitorList().RowCount(), 0) << "two rows selected";
    EXPECT_EQ(DiscoveryMacs(), (QStringList{MacOf(1), MacOf(2), MacOf(3)}));

    Select(core->DiscoverySelection(), {1});
    core->DiscoveryDoubleClicked();
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), QStringList{IpOf(2)});
    EXPECT_EQ(TableIps(), QStringList{IpOf(2)});
    EXPECT_EQ(Column(core->DiscoveryList(), 0), (QStringList{MacOf(1), MacOf(3)}));
    EXPECT_EQ(DiscoveryMacs(), (QStringList{MacOf(1), MacOf(3)}));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(MonitorList, DeleteRemovesTheSelectedRowsAndClosesUpTheTable) {
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3),
             AgentReply::Numbered(4), AgentReply::Numbered(5)});
    core->SortMonitorList(kIpColumn); // descending: rows no longer in table order
    ASSERT_EQ(Column(core->MonitorList(), kIpColumn),
              (QStringList{IpOf(5), IpOf(4), IpOf(3), IpOf(2), IpOf(1)}));
    Select(core->MonitorSelection(), {1, 3});

    core->DeleteItem();

    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, QStringLiteral("Are you sure to delete this item ?"));
    EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(prompts.boxes[0].icon, UserPrompts::Icon::Warning);
    EXPECT_EQ(prompts.boxes[0].buttons, UserPrompts::Buttons::OkCancel);
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(5), IpOf(3), IpOf(1)}));
    EXPECT_EQ(TableIps(), (QStringList{IpOf(1), IpOf(3), IpOf(5)}));
}

TEST_F(MonitorList, DeleteDoesNothingOnCancelOrWithoutASelection) {
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    const Bytes before = TableBytes();

    core->DeleteItem();
    EXPECT_TRUE(prompts.boxes.empty()) << "nothing selected, nothing asked";

    Select(core->MonitorSelection(), {0, 2});
    prompts.answers.push_back(UserPrompts::Answer::Cancel);
    core->DeleteItem();
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(1), IpOf(2), IpOf(3)}));
    EXPECT_EQ(TableBytes(), before);
    EXPECT_EQ(TableIps().size(), 3);
}

TEST_F(MonitorList, ShowMonitorRowRefreshesTheRowInPlaceAndUnselectsIt) {
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    core->SortMonitorList(kIpColumn); // descending: table slot 0 is shown in row 2
    ASSERT_EQ(Keys(core->MonitorList()), (std::vector<int>{2, 1, 0}));
    Select(core->MonitorSelection(), {2});

    DeviceRecord& entry = state->MonitorTable[0];
    entry.ListState = kListStateNotAlive;
    entry.StatusImage = 1;
    SetFieldText(entry.SystemName, "renamed");
    core->ShowMonitorRow(0);

    EXPECT_TRUE(core->MonitorSelection().SelectedRows().empty());
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(3), IpOf(2), IpOf(1)}));
    EXPECT_EQ(core->MonitorList().Text(2, kSystemNameColumn), QStringLiteral("renamed"));
    EXPECT_EQ(core->MonitorList().Text(2, kStatusColumn), QString());
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, -1, 1}));
    EXPECT_EQ(Keys(core->MonitorList()), (std::vector<int>{0, 1, 2})) << "renumbered";
    EXPECT_EQ(TableIps(), (QStringList{IpOf(1), IpOf(2), IpOf(3)}));
}

TEST_F(MonitorList, AReplyFromAMonitoredDeviceRefreshesItsRow) {
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2)});
    state->MonitorTable[1].StatusImage = 1; // declared not alive
    state->MonitorTable[1].ListState = kListStateNotAlive;
    core->ShowMonitorRow(1);
    ASSERT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, 1}));

    AgentReply same = AgentReply::Numbered(2);
    same.location = "rack 9";
    Receive(same);
    EXPECT_EQ(core->MonitorList().Text(1, kLocationColumn), QStringLiteral("rack 9"));
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, -1}));

    AgentReply moved = AgentReply::Numbered(1); // same MAC, new address: found by its MAC text
    moved.ip = 0x0A4D0063;
    Receive(moved);
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn),
              (QStringList{QStringLiteral("10.77.0.99"), IpOf(2)}));
    EXPECT_EQ(core->DiscoveryList().RowCount(), 0);
    EXPECT_EQ(Keys(core->MonitorList()), (std::vector<int>{0, 1}));
}

TEST_F(MonitorList, RefusalsAreToldOnlyOnceTheDiscoveryTableIsClosedUp) {
    Discover({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3),
              AgentReply::Numbered(4)});
    AgentReply other = AgentReply::Numbered(9);
    other.ip = AgentReply::Numbered(3).ip; // device 3's address is monitored already
    MonitorRecord(StoredRecordOf(other));
    Select(core->DiscoverySelection(), {0, 1, 2, 3});
    QStringList underTheBox;
    prompts.whileOpen = [&](const RecordingPrompts::Box&) {
        underTheBox = DiscoveryMacs();    // also fails on a slot left behind the rows
        Receive(AgentReply::Numbered(8)); // a device that answers meanwhile takes the next slot
    };

    core->AddToMonitorList();

    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Duplicate ip ")});
    EXPECT_EQ(underTheBox, QStringList{MacOf(3)});
    EXPECT_EQ(DiscoveryMacs(), (QStringList{MacOf(3), MacOf(8)}));
    EXPECT_EQ(Column(core->DiscoveryList(), 0), (QStringList{MacOf(3), MacOf(8)}));
    EXPECT_EQ(TableIps(), (QStringList{IpOf(3), IpOf(1), IpOf(2), IpOf(4)}));
}

TEST_F(MonitorList, OnlySelectionChangesThatChangeSomethingClearTheOtherList) {
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    ListSelection& discovery = core->DiscoverySelection();
    const auto row = [&](int r) { return core->DiscoveryList().index(r, 0); };
    struct Case {
        const char* what;
        std::vector<int> discoverySelected; // before the action
        std::function<void()> action;
        std::vector<int> monitorAfter;
    };
    const Case cases[] = {
        {"a click on blank space with nothing selected",
         {},
         [&] { discovery.select(QItemSelection(), QItemSelectionModel::ClearAndSelect); },
         {1, 2}},
        {"a click on the row already selected",
         {0},
         [&] {
             discovery.select(row(0),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
         },
         {2}},
        {"Discovery with rows present", {}, [&] { core->Discovery(); }, {1, 2}},
        // A real change still sets the rule off: the first selected row loses its selection.
        {"a click on another row",
         {0},
         [&] {
             discovery.select(row(1),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Discover({AgentReply::Numbered(7), AgentReply::Numbered(8)});
        Select(core->MonitorSelection(), {1, 2});
        for (int r : c.discoverySelected) {
            discovery.SelectRow(r); // takes the first selected Monitor List row away
        }
        const std::vector<int> before = core->MonitorSelection().SelectedRows();

        c.action();

        EXPECT_EQ(core->MonitorSelection().SelectedRows(), c.monitorAfter)
            << "before: " << before.size() << " selected";
    }
}

TEST_F(MonitorList, RowsSharingAnEmptyAddressTextEachDeleteTheirOwnEntry) {
    // Entries from a file, with no address text.
    const auto blank = [](const char* mac) {
        DeviceRecord record = ZeroRecord();
        SetFieldText(record.MacText, mac);
        return record;
    };
    struct Case {
        std::vector<int> selected;
        QStringList macsLeft;
    };
    for (const Case& c : {Case{{1}, {QStringLiteral("00aa00000001")}}, Case{{0, 1}, {}}}) {
        SCOPED_TRACE(c.selected.size());
        MonitorRecord(blank("00aa00000001"));
        MonitorRecord(blank("00aa00000002"));
        Select(core->MonitorSelection(), c.selected);

        core->DeleteItem();

        EXPECT_EQ(Column(core->MonitorList(), kMacColumn), c.macsLeft);
        QStringList tableMacs;
        for (int slot = 0; slot < core->MonitorList().RowCount(); ++slot) {
            tableMacs << Latin1(
                FieldText(state->MonitorTable[static_cast<std::size_t>(slot)].MacText));
        }
        EXPECT_EQ(tableMacs, c.macsLeft);
        EXPECT_EQ(TableIps().size(), c.macsLeft.size()) << "no entry without its row";
        Select(core->MonitorSelection(), {0});
        core->DeleteItem(); // empties the list for the next case
    }
}

} // namespace
} // namespace fenwick::testing
