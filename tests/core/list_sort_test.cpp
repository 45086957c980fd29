#include "monitor_list_fixture.h"

namespace fenwick::testing {
namespace {

class ListSort : public MonitorListFixture {
protected:
    void SetUp() override {
        MonitorListFixture::SetUp();
        Start();
    }

    static AgentReply At(const char* ip, int n) {
        AgentReply agent = AgentReply::Numbered(n);
        agent.ip = AddressOf(ip);
        return agent;
    }

    static std::uint32_t AddressOf(const char* dotted) {
        unsigned a = 0, b = 0, c = 0, d = 0;
        std::sscanf(dotted, "%u.%u.%u.%u", &a, &b, &c, &d);
        return a << 24 | b << 16 | c << 8 | d;
    }
};

TEST_F(ListSort, AddressesCompareAsTextAndEachClickFlipsTheDirection) {
    struct Case {
        const char* list;
        ListViewModel& (ManagerCore::*model)();
        void (ManagerCore::*sort)(int);
        int ipColumn;
    };
    const Case cases[] = {
        {"Discovery List", &ManagerCore::DiscoveryList, &ManagerCore::SortDiscoveryList, 1},
        {"Monitor List", &ManagerCore::MonitorList, &ManagerCore::SortMonitorList, kIpColumn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        Restart();
        const std::initializer_list<AgentReply> agents = {
            At("192.168.0.20", 1), At("192.168.0.100", 2), At("10.0.0.9", 3), At("10.0.0.10", 4)};
        if (c.model == &ManagerCore::MonitorList) {
            Monitor(agents);
        } else {
            Discover(agents);
        }
        ListViewModel& list = (core.get()->*c.model)();

        (core.get()->*c.sort)(c.ipColumn);
        EXPECT_EQ(Column(list, c.ipColumn),
                  (QStringList{QStringLiteral("192.168.0.20"), QStringLiteral("192.168.0.100"),
                               QStringLiteral("10.0.0.9"), QStringLiteral("10.0.0.10")}))
            << "the first click sorts descending";
        (core.get()->*c.sort)(c.ipColumn);
        EXPECT_EQ(Column(list, c.ipColumn),
                  (QStringList{QStringLiteral("10.0.0.10"), QStringLiteral("10.0.0.9"),
                               QStringLiteral("192.168.0.100"), QStringLiteral("192.168.0.20")}));
    }
}

TEST_F(ListSort, BothListsShareOneDirection) {
    Monitor({AgentReply::Numbered(3)});
    Monitor({AgentReply::Numbered(2)});
    Discover({AgentReply::Numbered(1), AgentReply::Numbered(4)});

    core->SortDiscoveryList(1); // the first click: descending
    EXPECT_EQ(Column(core->DiscoveryList(), 1), (QStringList{IpOf(4), IpOf(1)}));
    core->SortMonitorList(kIpColumn); // the next click, on the other list: ascending
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(2), IpOf(3)}));
    core->SortMonitorList(kIpColumn);
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(3), IpOf(2)}));
    core->SortDiscoveryList(1);
    EXPECT_EQ(Column(core->DiscoveryList(), 1), (QStringList{IpOf(1), IpOf(4)}));
}

TEST_F(ListSort, TextsCompareAsUnsignedBytesAndAPrefixSortsFirst) {
    std::vector<AgentReply> agents;
    int n = 0;
    for (const char* name : {"\xe9t\xe9", "alpha", "Zulu", "alp"}) {
        AgentReply agent = AgentReply::Numbered(++n);
        agent.systemName = name;
        agents.push_back(agent);
    }
    Discover({agents[0], agents[1], agents[2], agents[3]});
    core->SortDiscoveryList(4); // descending
    core->SortDiscoveryList(4); // ascending
    EXPECT_EQ(Column(core->DiscoveryList(), 4),
              (QStringList{QStringLiteral("Zulu"), QStringLiteral("alp"), QStringLiteral("alpha"),
                           QString::fromLatin1("\xe9t\xe9")}));
}

TEST_F(ListSort, TheStatusColumnComparesImagesAsNumbers) {
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    const int images[] = {0, -1, 1};
    for (int slot = 0; slot < 3; ++slot) {
        DeviceRecord& entry = state->MonitorTable[static_cast<std::size_t>(slot)];
        entry.StatusImage = images[slot];
        entry.ListState = kListStateHasRow; // a refresh, not a new row
        core->ShowMonitorRow(slot);
    }
    core->SortMonitorList(kStatusColumn);
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{1, 0, -1}));
    core->SortMonitorList(kStatusColumn);
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, 0, 1}));
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(2), IpOf(1), IpOf(3)}));
}

TEST_F(ListSort, RowsMoveWithTheirKeysAndSelectionWhileTheTableStays) {
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    Select(core->MonitorSelection(), {0});
    const Bytes table = TableBytes();

    core->SortMonitorList(kIpColumn);

    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(3), IpOf(2), IpOf(1)}));
    EXPECT_EQ(Keys(core->MonitorList()), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(core->MonitorSelection().SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(TableBytes(), table);
}

TEST_F(ListSort, AfterADescendingSortANewDeviceIsAppendedAtTheBottom) {
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    core->SortMonitorList(kIpColumn);
    Monitor({AgentReply::Numbered(4)});
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn),
              (QStringList{IpOf(3), IpOf(2), IpOf(1), IpOf(4)}));
    EXPECT_EQ(Keys(core->MonitorList()), (std::vector<int>{0, 1, 2, 3}));
    core->SortMonitorList(kIpColumn);
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn),
              (QStringList{IpOf(1), IpOf(2), IpOf(3), IpOf(4)}));
}

} // namespace
} // namespace fenwick::testing
