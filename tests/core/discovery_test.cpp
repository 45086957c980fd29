#include "codec/device_tables.h"
#include "core_fixture.h"

namespace fenwick::testing {
namespace {

class Discovery : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
    }

    QStringList Row(int row) const {
        QStringList texts;
        for (int column = 0; column < core->DiscoveryList().columnCount(); ++column) {
            texts << core->DiscoveryList().Text(row, column);
        }
        return texts;
    }

    // Puts a device into the monitor table and list, as adding it to the monitor list will.
    void Monitor(const AgentReply& agent) {
        DeviceRecord record = ZeroRecord();
        record.IpAddress = agent.ip;
        SetFieldText(record.IpText, AddressTextOf(agent.ip));
        SetFieldText(record.MacText, MacTextOf(agent));
        record.ListState = kListStateHasRow;
        const int index = core->MonitorList().RowCount();
        state->MonitorTable[static_cast<std::size_t>(index)] = record;
        core->MonitorList().InsertRow(index, index, QString());
    }

    static std::string AddressTextOf(std::uint32_t ip) {
        return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
               std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255);
    }
    static std::string MacTextOf(const AgentReply& agent) {
        char text[13];
        std::snprintf(text, sizeof text, "%02x%02x%02x%02x%02x%02x", agent.mac[0], agent.mac[1],
                      agent.mac[2], agent.mac[3], agent.mac[4], agent.mac[5]);
        return text;
    }
};

TEST_F(Discovery, BroadcastsTheRequestAfterEmptyingListAndTable) {
    Receive(AgentReply::Numbered(1));
    ASSERT_EQ(core->DiscoveryList().RowCount(), 1);
    core->Discovery();
    EXPECT_EQ(core->DiscoveryList().RowCount(), 0);
    EXPECT_EQ(FieldText(state->DiscoveryTable[0].MacText), "");
    ASSERT_EQ(network.sent.size(), 1u);
    const MemoryNetwork::Sent& request = network.sent.front();
    EXPECT_EQ(request.fromPort, kTestBasePort);
    EXPECT_EQ(request.address, 0xFFFFFFFFu);
    EXPECT_EQ(request.port, kTestBasePort + 2);
    EXPECT_TRUE(request.broadcastPermitted);
    Bytes expected(40, 0);
    expected[1] = 2;
    expected[13] = 1;
    expected[16] = 0x1A;
    expected[17] = 0x2B;
    expected[18] = 0x3C;
    expected[19] = 0x4D;
    EXPECT_EQ(request.bytes, expected);
}

TEST_F(Discovery, RequestFailuresAreTold) {
    Receive(AgentReply::Numbered(1));
    network.failSetBroadcast = true;
    core->Discovery();
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Set socketopt error")});
    EXPECT_EQ(core->DiscoveryList().RowCount(), 1) << "the list stays when nothing is sent";
    EXPECT_TRUE(network.sent.empty());

    prompts.boxes.clear();
    network.failSetBroadcast = false;
    network.sendError = 101; // ENETUNREACH
    core->Discovery();
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Discovery sento fail")});
    EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Error"));
}

TEST_F(Discovery, ShowsEachDeviceOnceWithItsColumns) {
    AgentReply first = AgentReply::Numbered(1);
    first.bodyIp = first.ip;
    Receive(first);
    AgentReply second = AgentReply::Numbered(2);
    Receive(second, kTestBasePort + 1); // either socket feeds the same store
    first.systemName = "renamed";
    Receive(first);

    ASSERT_EQ(core->DiscoveryList().RowCount(), 2);
    EXPECT_EQ(Row(0), (QStringList{QStringLiteral("000a5b000001"), QStringLiteral("10.77.0.1"),
                                   QStringLiteral("2.001.001"), QStringLiteral("ES-8"),
                                   QStringLiteral("renamed"), QStringLiteral("rack 2"),
                                   QStringLiteral("10.77.0.1"), QStringLiteral("255.255.0.0"),
                                   QStringLiteral("10.77.0.1")}));
    EXPECT_EQ(core->DiscoveryList().ItemData(1), 1);
    EXPECT_EQ(core->DiscoveryList().Text(1, 0), QStringLiteral("000a5b000002"));
    EXPECT_EQ(FieldText(state->DiscoveryTable[0].SystemName), "renamed");
    EXPECT_EQ(state->DiscoveryTable[0].ListState, kListStateHasRow);
    EXPECT_EQ(state->DiscoveryTable[1].Answered, 1);
    EXPECT_EQ(state->DiscoveryTable[1].StatusImage, -1);
    EXPECT_EQ(state->DiscoveryTable[1].AgentKey, kTestKey);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Discovery, FilesAReplyUnderTheAddressItsBodyReports) {
    AgentReply agent = AgentReply::Numbered(1);
    agent.bodyIp = 0xC0A80164; // 192.168.1.100, not the source
    Receive(agent);
    EXPECT_EQ(core->DiscoveryList().Text(0, 1), QStringLiteral("192.168.1.100"));
    EXPECT_EQ(state->DiscoveryTable[0].IpAddress, 0xC0A80164u);
}

TEST_F(Discovery, ForeignVersionAndLoaderModeGiveRowsWithoutNames) {
    AgentReply foreign = AgentReply::Numbered(1);
    foreign.version = 3;
    foreign.code = kCommandTrap; // whatever the code
    AgentReply loader = AgentReply::Numbered(2);
    loader.code = kCommandLoaderMode;
    Receive(foreign);
    Receive(loader);
    ASSERT_EQ(core->DiscoveryList().RowCount(), 2);
    EXPECT_EQ(Row(0), (QStringList{QStringLiteral("000a5b000001"), QStringLiteral("10.77.0.1"),
                                   QStringLiteral("3.001.001"), QStringLiteral(""),
                                   QStringLiteral(""), QStringLiteral(""), QStringLiteral(""),
                                   QStringLiteral(""), QStringLiteral("")}));
    EXPECT_EQ(Row(1), (QStringList{QStringLiteral("000a5b000002"), QStringLiteral("10.77.0.2"),
                                   QStringLiteral("2.001.001"), QStringLiteral(""),
                                   QStringLiteral(""), QStringLiteral(""), QStringLiteral(""),
                                   QStringLiteral(""), QStringLiteral("")}));
    EXPECT_EQ(state->DiscoveryTable[0].AgentState, 0);
    EXPECT_EQ(state->DiscoveryTable[1].AgentState, kAgentStateLoader);
    EXPECT_EQ(state->DiscoveryTable[1].LastCommand, 0);
}

// A switch reachable through two of the manager's interfaces hears the broadcast on each and
// answers both copies: whatever it answers with, it stands in one row.
TEST_F(Discovery, ASwitchAnsweringTwiceStandsInOneRow) {
    struct Case {
        const char* what;
        std::uint16_t code;
        std::uint16_t version;
    };
    const Case cases[] = {
        {"device information", kCommandDeviceInfo, 2},
        {"loader mode", kCommandLoaderMode, 2},
        {"another protocol version", kCommandDeviceInfo, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core->Discovery();
        AgentReply twice = AgentReply::Numbered(7);
        twice.code = c.code;
        twice.version = c.version;
        Receive(twice);
        Receive(twice);
        Receive(AgentReply::Numbered(8));
        ASSERT_EQ(core->DiscoveryList().RowCount(), 2);
        EXPECT_EQ(core->DiscoveryList().Text(0, 0), QStringLiteral("000a5b000007"));
        EXPECT_EQ(core->DiscoveryList().Text(1, 0), QStringLiteral("000a5b000008"));
        EXPECT_EQ(FieldText(state->DiscoveryTable[1].MacText), "000a5b000008");
    }
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Discovery, ErrorRepliesAreToldAndStoreNothing) {
    AgentReply agent = AgentReply::Numbered(1);
    agent.status = 2;
    Receive(agent);
    agent.status = 9;
    Receive(agent);
    EXPECT_EQ(BoxTexts(), (QStringList{QStringLiteral("Device return : password error"),
                                       QStringLiteral("Device return : unknow error")}));
    EXPECT_EQ(core->DiscoveryList().RowCount(), 0);
}

TEST_F(Discovery, The257thDeviceIsRefusedEachTimeItAnswers) {
    for (int n = 1; n <= 256; ++n) {
        Receive(AgentReply::Numbered(n));
    }
    EXPECT_TRUE(prompts.boxes.empty());
    Receive(AgentReply::Numbered(257));
    AgentReply loader = AgentReply::Numbered(258);
    loader.code = kCommandLoaderMode;
    Receive(loader);
    EXPECT_EQ(BoxTexts(), QStringList(2, QStringLiteral("Add fail, out of 256 devices")));
    EXPECT_EQ(core->DiscoveryList().RowCount(), 256);
    Receive(AgentReply::Numbered(256)); // a known device still updates
    EXPECT_EQ(prompts.boxes.size(), 2u);
}

TEST_F(Discovery, MonitoredDevicesAreRefreshedInTheMonitorTableOnly) {
    Monitor(AgentReply::Numbered(1));
    AgentReply moved = AgentReply::Numbered(2);
    Monitor(moved);
    state->MonitorTable[1].StatusImage = 1; // declared not alive
    state->MonitorTable[0].StatusImage = 1;

    Receive(AgentReply::Numbered(1)); // same address: refreshed, image cleared
    moved.ip = 0x0A4D0063;            // new address, same MAC: refreshed, image kept
    Receive(moved);
    AgentReply impostor = AgentReply::Numbered(3);
    impostor.ip = AgentReply::Numbered(1).ip; // the monitored address, another MAC
    impostor.product = "other";

    EXPECT_EQ(core->DiscoveryList().RowCount(), 0);
    EXPECT_EQ(FieldText(state->MonitorTable[0].ProductName), "ES-8");
    EXPECT_EQ(state->MonitorTable[0].StatusImage, -1);
    EXPECT_EQ(state->MonitorTable[0].Answered, 1);
    EXPECT_EQ(FieldText(state->MonitorTable[1].IpText), "10.77.0.99");
    EXPECT_EQ(state->MonitorTable[1].StatusImage, 1);

    Receive(impostor);
    EXPECT_EQ(FieldText(state->MonitorTable[0].MacText), "000a5b000003");
    EXPECT_EQ(FieldText(state->MonitorTable[0].ProductName), "other");
    EXPECT_EQ(core->DiscoveryList().RowCount(), 0);
}

TEST_F(Discovery, ASetReplyIsConfirmedOnce) {
    struct Case {
        const char* what;
        bool byMac;
        std::uint16_t code;
    };
    for (const Case& c : {Case{"unicast reply by MAC", true, kCommandSetUnicastReply},
                          Case{"broadcast reply by address", false, kCommandSetBroadcastReply}}) {
        prompts.boxes.clear();
        AgentReply agent = AgentReply::Numbered(5);
        agent.code = c.code;
        agent.sequence = state->Reply.SetSequence;
        agent.bodyIp = 0x0A4D0105;
        if (c.byMac) {
            state->Pending.WritePendingSetMac("000a5b000005");
        } else {
            state->Pending.WritePendingSetIp(0x0A4D0105);
        }
        Receive(agent);
        agent.sequence = state->Reply.SetSequence;
        Receive(agent);
        EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Set Successful")}) << c.what;
        EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Information"));
        EXPECT_EQ(state->Pending.ReadPendingSetMac(), "");
        EXPECT_EQ(state->Pending.ReadPendingSetIp(), 0u);
    }
    // A discovery answer from the pending device is no set reply.
    state->Pending.WritePendingSetMac("000a5b000005");
    prompts.boxes.clear();
    Receive(AgentReply::Numbered(5));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Discovery, SelectionsSurviveTheStore) {
    for (int n = 1; n <= 3; ++n) {
        Receive(AgentReply::Numbered(n));
    }
    core->DiscoverySelection().SelectRow(1);
    AgentReply update = AgentReply::Numbered(3);
    update.location = "moved";
    Receive(update);
    Receive(AgentReply::Numbered(4));
    EXPECT_EQ(core->DiscoverySelection().SelectedRows(), std::vector<int>{1});

    Monitor(AgentReply::Numbered(9));
    core->MonitorSelection().SelectRow(0);
    EXPECT_TRUE(core->DiscoverySelection().SelectedRows().empty()) << "one list at a time";
    Receive(AgentReply::Numbered(5)); // a new Discovery List row would clear the Monitor selection
    EXPECT_EQ(core->MonitorSelection().SelectedRows(), std::vector<int>{0});
    EXPECT_TRUE(core->DiscoverySelection().SelectedRows().empty());
}

TEST_F(Discovery, ABurstIsReadInBoundedBatches) {
    MemoryNetwork::Socket* socket = network.BoundTo(kTestBasePort);
    for (int n = 1; n <= 300; ++n) {
        socket->Queue(AgentReply::Numbered(n).Datagram(), AgentReply::Numbered(n).ip);
    }
    socket->ReportReady();
    EXPECT_EQ(core->DiscoveryList().RowCount(), 256);
    EXPECT_EQ(socket->Pending(), 44u);
    socket->ReportReady();
    EXPECT_EQ(socket->Pending(), 0u);
}

} // namespace
} // namespace fenwick::testing
