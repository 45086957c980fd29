// A started ManagerCore with monitored and discovered agents, for the configuration commands:
// selections in the two lists, and the set requests they send.
#pragma once

#include "core/config/password_change.h"
#include "core/config/remote_addition.h"
#include "monitor_list_fixture.h"

#include <vector>

namespace fenwick::testing {

// Monitored agents are numbered from 1, discovered ones from kFirstDiscovered.
inline constexpr int kFirstDiscovered = 101;

class ConfigFixture : public MonitorListFixture {
protected:
    void SetUp() override {
        MonitorListFixture::SetUp();
        Start();
    }

    // `monitored` agents in the Monitor List, then `discovered` more in the Discovery List.
    void Populate(int monitored, int discovered) {
        for (int n = 1; n <= monitored; ++n) {
            Receive(AgentReply::Numbered(n));
        }
        Select(core->DiscoverySelection(), {});
        for (int row = 0; row < core->DiscoveryList().RowCount(); ++row) {
            core->DiscoverySelection().SelectRow(row);
        }
        core->AddToMonitorList();
        for (int n = 0; n < discovered; ++n) {
            Receive(AgentReply::Numbered(kFirstDiscovered + n));
        }
        ASSERT_EQ(core->MonitorList().RowCount(), monitored);
        ASSERT_EQ(core->DiscoveryList().RowCount(), discovered);
        prompts.boxes.clear();
    }

    // Selects Monitor List rows first, then Discovery List rows (a Discovery List selection
    // takes the first selected Monitor List row's away).
    void SelectRows(const std::vector<int>& monitorRows, const std::vector<int>& discoveryRows) {
        Select(core->DiscoverySelection(), {});
        Select(core->MonitorSelection(), monitorRows);
        for (int row : discoveryRows) {
            core->DiscoverySelection().SelectRow(row);
        }
    }

    // The MonitorTable entry of monitored agent n and the DiscoveryTable entry of discovered
    // agent n, as the core stores them.
    DeviceRecord& MonitorEntry(int n) {
        return state->MonitorTable[static_cast<std::size_t>(n - 1)];
    }
    DeviceRecord& DiscoveryEntry(int n) {
        return state->DiscoveryTable[static_cast<std::size_t>(n - kFirstDiscovered)];
    }

    // What the configuration dialog of the chosen device would send unchanged, with a password.
    ConfigurationInput ChosenInput(const char* password = "secret") {
        ConfigurationInput input = core->Configuration().Values();
        input.password = QString::fromLatin1(password);
        return input;
    }

    // Chooses the device for the configuration dialog, expecting it to be accepted.
    void ChooseForConfiguration(const std::vector<int>& monitorRows,
                                const std::vector<int>& discoveryRows) {
        SelectRows(monitorRows, discoveryRows);
        ASSERT_TRUE(core->ChooseForConfiguration()) << BoxTexts().join(u'|').toStdString();
        sentBefore = network.sent.size();
    }

    // The datagrams sent since the device was chosen.
    std::vector<MemoryNetwork::Sent> SentSinceChoice() const {
        return {network.sent.begin() + static_cast<std::ptrdiff_t>(sentBefore), network.sent.end()};
    }

    std::size_t sentBefore = 0;
};

} // namespace fenwick::testing
