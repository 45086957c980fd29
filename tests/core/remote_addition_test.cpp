// "Add item" with the "Remote IP" dialog: the address checks, the new entry, duplicates, the
// full list, and the device's first answer.
#include "config_fixture.h"

namespace fenwick::testing {
namespace {

class RemoteAdditionTest : public ConfigFixture {
protected:
    // The button, "Apply" with `address`, and what follows; false when the dialog stayed
    // open or never opened.
    bool AddItem(std::uint32_t address) {
        if (!core->BeginAddItem() || !core->RemoteIp().ApplyRemoteIp(address)) {
            return false;
        }
        core->FinishAddItem();
        return true;
    }
};

TEST_F(RemoteAdditionTest, UnusableAddressesKeepTheDialogOpen) {
    struct Case {
        const char* text;
        std::uint32_t address;
        bool accepted;
    };
    const Case cases[] = {
        {"10.0.0.0", 0x0A000000, false},
        {"127.0.0.1", 0x7F000001, false},
        {"192.168.1.255", 0xC0A801FF, false},
        {"224.0.0.1", 0xE0000001, false},
        {"blank", 0, false},
        {"10.1.255.255", 0x0A01FFFF, true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(core->BeginAddItem());
        EXPECT_EQ(core->RemoteIp().ApplyRemoteIp(c.address), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_TRUE(prompts.boxes.empty()) << c.text;
            EXPECT_EQ(state->MonitorTable[0].IpAddress, c.address);
        } else {
            EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("IP address is illegal")}) << c.text;
            EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral(" Error"));
            EXPECT_TRUE(SameBytes(state->MonitorTable[0], kZero)) << c.text;
        }
        prompts.boxes.clear();
    }
}

TEST_F(RemoteAdditionTest, TheNewEntryHoldsOnlyItsAddressUntilTheDeviceAnswers) {
    Populate(1, 0);
    const AgentReply remote = AgentReply::Numbered(40);
    ASSERT_TRUE(AddItem(remote.ip));
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(1), IpOf(40)}));
    EXPECT_EQ(core->MonitorList().Text(1, kMacColumn), QString());
    EXPECT_EQ(core->MonitorList().Text(1, 3), QStringLiteral("0.000.000"));
    EXPECT_EQ(core->MonitorList().Image(1), -1);

    // Saved before the first answer, the entry is the address and the fixed key only.
    DeviceRecord expected = ZeroRecord();
    expected.AgentKey = 0x3C6E2A91;
    SetFieldText(expected.IpText, "10.77.0.40");
    expected.IpAddress = remote.ip;
    expected.StatusImage = -1;
    prompts.fileNames.push_back(Folder() + QStringLiteral("/remote.cfg"));
    core->MonitorSaveAs();
    const DeviceRecord saved = RecordAt(ReadFile(Folder() + QStringLiteral("/remote.cfg")), 1);
    EXPECT_TRUE(SameBytes(saved, expected)) << FieldText(saved.IpText) << " " << saved.ListState;

    // Configuration refuses it until it has answered.
    SelectRows({1}, {});
    EXPECT_FALSE(core->ChooseForConfiguration());
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("agent protocol version not support")});

    // It is polled from the next pass, and its first answer fills it.
    network.sent.clear();
    clock.Advance(kInitialRefreshSeconds * 1000);
    bool polled = false;
    for (const auto& datagram : network.sent) {
        polled = polled || datagram.address == remote.ip;
    }
    EXPECT_TRUE(polled);
    Receive(remote);
    EXPECT_EQ(core->MonitorList().Text(1, kMacColumn), MacOf(40));
    EXPECT_EQ(state->MonitorTable[1].AgentKey, kTestKey);
    EXPECT_EQ(core->DiscoveryList().RowCount(), 0);
}

TEST_F(RemoteAdditionTest, AnAddressInEitherListIsRefusedAndTheListStaysAsItWas) {
    Populate(2, 1);
    const Bytes before = TableBytes();
    for (const int n : {2, kFirstDiscovered}) {
        EXPECT_TRUE(AddItem(AgentReply::Numbered(n).ip)); // "Apply" closes the dialog
        EXPECT_EQ(BoxTexts(),
                  QStringList{QStringLiteral("Duplicate IP in monitor list or discovery list")});
        EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Error"));
        EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(1), IpOf(2)}));
        EXPECT_EQ(TableIps(), (QStringList{IpOf(1), IpOf(2)})); // the rest of the table is zero
        EXPECT_EQ(TableBytes(), before);
        prompts.boxes.clear();
    }
}

TEST_F(RemoteAdditionTest, AFullListOpensNoDialog) {
    for (int n = 1; n < 256; ++n) {
        ASSERT_TRUE(AddItem(0x0B000000u + static_cast<std::uint32_t>(n)));
    }
    EXPECT_EQ(core->MonitorList().RowCount(), 255);
    EXPECT_TRUE(AddItem(0x0B000100)); // the 256th row
    EXPECT_EQ(core->MonitorList().RowCount(), 256);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_FALSE(core->BeginAddItem());
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("out of 256 device in monitor list")});
}

} // namespace
} // namespace fenwick::testing
