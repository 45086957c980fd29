// Choosing the device of a configuration or password command: the selection's classes, the
// agent's verdict and the button procedure's messages.
#include "config_fixture.h"
#include "core/config/device_selection.h"

#include <functional>

namespace fenwick::testing {
namespace {

class DeviceSelectionTest : public ConfigFixture {
protected:
    DeviceSelection Selection() {
        return DeviceSelection(*state, prompts,
                               {core->DiscoveryList(), core->DiscoverySelection(),
                                core->MonitorList(), core->MonitorSelection()});
    }
};

TEST_F(DeviceSelectionTest, ClassifySelectionLooksAtBothLists) {
    Populate(3, 3);
    struct Case {
        const char* what;
        std::vector<int> monitor;
        std::vector<int> discovery;
        std::size_t monitorSelected; // what the selection rule leaves
        std::size_t discoverySelected;
        SelectionKind expected;
    };
    const Case cases[] = {
        {"nothing", {}, {}, 0, 0, SelectionKind::NoneSelected},
        {"two discovered", {}, {0, 2}, 0, 2, SelectionKind::SeveralSelected},
        {"two monitored", {0, 1}, {}, 2, 0, SelectionKind::SeveralSelected},
        {"one discovered", {}, {1}, 0, 1, SelectionKind::OneInDiscovery},
        {"one monitored", {2}, {}, 1, 0, SelectionKind::OneInMonitor},
        {"one in each list", {0, 1}, {0}, 1, 1, SelectionKind::OneInDiscovery},
    };
    for (const Case& c : cases) {
        SelectRows(c.monitor, c.discovery);
        ASSERT_EQ(core->MonitorSelection().SelectedRows().size(), c.monitorSelected) << c.what;
        ASSERT_EQ(core->DiscoverySelection().SelectedRows().size(), c.discoverySelected) << c.what;
        EXPECT_EQ(Selection().ClassifySelection(), c.expected) << c.what;
    }
}

TEST_F(DeviceSelectionTest, CheckAgentJudgesVersionsOfTheSelectedRowsEntry) {
    Populate(2, 2);
    struct Case {
        std::uint16_t protocol;
        std::uint16_t interface;
        AgentVerdict expected;
    };
    const Case cases[] = {
        {2, 1, AgentVerdict::Usable},
        {3, 1, AgentVerdict::ProtocolNotSupported},
        {0, 0, AgentVerdict::ProtocolNotSupported}, // an entry added by address
        {2, 2, AgentVerdict::InterfaceNotSupported},
        {2, 0, AgentVerdict::InterfaceZero},
    };
    for (const Case& c : cases) {
        MonitorEntry(2).ProtocolVersion = c.protocol;
        MonitorEntry(2).InterfaceVersion = c.interface;
        DiscoveryEntry(kFirstDiscovered + 1).ProtocolVersion = c.protocol;
        DiscoveryEntry(kFirstDiscovered + 1).InterfaceVersion = c.interface;

        SelectRows({1}, {});
        const std::optional<AgentCheck> monitored = Selection().CheckAgent(true);
        ASSERT_TRUE(monitored.has_value());
        EXPECT_EQ(monitored->verdict, c.expected);
        EXPECT_EQ(monitored->index, 1);

        SelectRows({}, {1});
        const std::optional<AgentCheck> discovered = Selection().CheckAgent(false);
        ASSERT_TRUE(discovered.has_value());
        EXPECT_EQ(discovered->verdict, c.expected);
        EXPECT_EQ(discovered->index, 1);
    }
}

TEST_F(DeviceSelectionTest, TheButtonsSayWhyNoDialogOpens) {
    Populate(2, 2);
    struct Case {
        const char* what;
        std::vector<int> monitor;
        std::vector<int> discovery;
        std::function<void()> change;
        QString box; // empty: none
        bool opens;
        int inMonitor;
    };
    const auto none = [] {};
    const Case cases[] = {
        {"two monitored",
         {0, 1},
         {},
         none,
         QStringLiteral("Only one device can be selected"),
         false,
         0},
        {"nothing", {}, {}, none, QStringLiteral("Please select one device"), false, 0},
        {"discovered device in loader mode",
         {},
         {1},
         [this] { DiscoveryEntry(kFirstDiscovered + 1).AgentState = 100; },
         QStringLiteral("Agent is in loader mode, it can't set \n it needs firmware upgrade"),
         false,
         0},
        {"monitored device in loader mode",
         {1},
         {},
         [this] { MonitorEntry(2).AgentState = 100; },
         QStringLiteral("Agent is in loader mode, it can't set"),
         false,
         0},
        {"protocol version 3",
         {1},
         {},
         [this] { MonitorEntry(2).ProtocolVersion = 3; },
         QStringLiteral("agent protocol version not support"),
         false,
         0},
        {"interface version 2",
         {},
         {1},
         [this] { DiscoveryEntry(kFirstDiscovered + 1).InterfaceVersion = 2; },
         QStringLiteral("agent interface version not support"),
         false,
         0},
        {"interface version 0 says nothing",
         {1},
         {},
         [this] { MonitorEntry(2).InterfaceVersion = 0; },
         QString(),
         false,
         0},
        {"monitored device", {1}, {}, none, QString(), true, 1},
        {"discovered device", {}, {1}, none, QString(), true, 0},
        {"one in each list: the discovered one", {0, 1}, {1}, none, QString(), true, 0},
    };
    for (const Case& c : cases) {
        for (const bool password : {false, true}) {
            c.change();
            SelectRows(c.monitor, c.discovery);
            state->Selection = {};
            const bool opens =
                password ? core->ChooseForPasswordChange() : core->ChooseForConfiguration();
            EXPECT_EQ(opens, c.opens) << c.what;
            EXPECT_EQ(BoxTexts(), c.box.isEmpty() ? QStringList{} : QStringList{c.box}) << c.what;
            for (const RecordingPrompts::Box& box : prompts.boxes) {
                EXPECT_EQ(box.caption, QStringLiteral("Error"));
                EXPECT_EQ(box.icon, UserPrompts::Icon::Error);
            }
            if (c.opens) {
                EXPECT_EQ(state->Selection.SelectedIndex, 1) << c.what;
                EXPECT_EQ(state->Selection.SelectedInMonitor, c.inMonitor) << c.what;
            }
            // Only the configuration button captures the list sizes.
            EXPECT_EQ(state->Selection.MonitorCount, password ? 0 : 2) << c.what;
            EXPECT_EQ(state->Selection.DiscoveryCount, password ? 0 : 2) << c.what;
            prompts.boxes.clear();
            state->MonitorTable[1].AgentState = 0;
            state->MonitorTable[1].ProtocolVersion = 2;
            state->MonitorTable[1].InterfaceVersion = 1;
            state->DiscoveryTable[1].AgentState = 0;
            state->DiscoveryTable[1].InterfaceVersion = 1;
        }
    }
}

} // namespace
} // namespace fenwick::testing
