// "Web access" and the Monitor List double-click: which selections open the browser, on what,
// and what is said otherwise.
#include "config_fixture.h"

#include <functional>

namespace fenwick::testing {
namespace {

class WebAccessTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        Populate(2, 1);
    }
};

TEST_F(WebAccessTest, TheButtonAndTheDoubleClickOpenOneMonitoredDevice) {
    struct Case {
        const char* what;
        std::vector<int> monitor;
        std::vector<int> discovery;
        std::function<void()> change;
        QString buttonBox; // empty: the browser starts
        QString doubleClickBox;
    };
    const auto none = [] {};
    const QString started;
    const QString onlyOne = QStringLiteral("Only one device can be selected");
    const QString selectOne = QStringLiteral("Please select one device in the monitor list");
    const QString loader =
        QStringLiteral("Agent is in loader mode, it can't set \n it needs firmware upgrade");
    const QString fail = QStringLiteral("Browser web fail");
    const Case cases[] = {
        {"one monitored", {1}, {}, none, started, started},
        {"a discovered one too",
         {0, 1},
         {0},
         none,
         QStringLiteral("Only the devices in the monitor list can entry the web"),
         started},
        {"two monitored", {0, 1}, {}, none, onlyOne, onlyOne},
        {"nothing", {}, {}, none, selectOne, selectOne},
        {"loader mode", {1}, {}, [this] { MonitorEntry(2).AgentState = 100; }, loader, loader},
        {"never answered",
         {1},
         {},
         [this] {
             MonitorEntry(2).ProtocolVersion = 0;
             MonitorEntry(2).InterfaceVersion = 0;
         },
         started,
         started},
        {"browser missing", {1}, {}, [this] { launcher.starts = false; }, fail, fail},
    };
    for (const Case& c : cases) {
        for (const bool button : {true, false}) {
            const DeviceRecord kept = MonitorEntry(2);
            c.change();
            SelectRows(c.monitor, c.discovery);
            state->Selection.SelectedIndex = -5;
            launcher.browserUrls.clear();
            button ? core->OpenWebAccess() : core->MonitorDoubleClicked();
            const QString& box = button ? c.buttonBox : c.doubleClickBox;
            EXPECT_EQ(BoxTexts(), box.isEmpty() ? QStringList{} : QStringList{box})
                << c.what << (button ? " (button)" : " (double-click)");
            const bool reached = box.isEmpty() || box == fail;
            EXPECT_EQ(launcher.browserUrls,
                      reached ? QStringList{QStringLiteral("http://") + IpOf(2)} : QStringList{})
                << c.what;
            // Only the button, and only once it has found the entry, writes SelectedIndex.
            const bool found = box.isEmpty() || box == fail || box == loader;
            EXPECT_EQ(state->Selection.SelectedIndex, button && found ? 1 : -5) << c.what;
            prompts.boxes.clear();
            MonitorEntry(2) = kept;
            launcher.starts = true;
        }
    }
}

// The browser's starter may report failure long after the click (xdg-open finds no browser,
// or the one set up cannot start): the box comes then, once however many starts fail together.
TEST_F(WebAccessTest, ABrowserThatFailsAfterItsStartIsTold) {
    SelectRows({1}, {});
    core->OpenWebAccess();
    core->MonitorDoubleClicked();
    ASSERT_EQ(launcher.browserFailures.size(), 2u);
    EXPECT_TRUE(prompts.boxes.empty());
    bool nested = false;
    prompts.whileOpen = [&](const RecordingPrompts::Box&) {
        if (!nested) {
            nested = true;
            launcher.FailBrowsers(); // the second fails while the first one's box is open
        }
    };
    const auto first = std::move(launcher.browserFailures.front());
    launcher.browserFailures.erase(launcher.browserFailures.begin());
    first();
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Browser web fail")});
    EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Error"));
}

TEST_F(WebAccessTest, OnlyAWellFormedDottedAddressReachesTheBrowser) {
    // An IpText read from a monitor list file may hold anything.
    for (const char* text :
         {"10.77.0.2 --new-window", "-10.77.0.2", "file:///etc/passwd", "10.77.0.256", "10.77.0",
          "10.77.0.2.", "010.77.0.2", "10.77..2", "1.2.3.4444", ""}) {
        SetFieldText(MonitorEntry(2).IpText, text);
        core->MonitorList().SetText(1, kIpColumn, QString::fromLatin1(text));
        SelectRows({1}, {});
        launcher.browserUrls.clear();
        core->OpenWebAccess();
        EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Browser web fail")}) << text;
        EXPECT_TRUE(launcher.browserUrls.isEmpty()) << text;
        prompts.boxes.clear();
    }
    for (const char* text : {"0.0.0.0", "255.255.255.255", "192.168.100.7"}) {
        SetFieldText(MonitorEntry(2).IpText, text);
        core->MonitorList().SetText(1, kIpColumn, QString::fromLatin1(text));
        SelectRows({1}, {});
        launcher.browserUrls.clear();
        core->OpenWebAccess();
        EXPECT_TRUE(prompts.boxes.empty()) << text;
        EXPECT_EQ(launcher.browserUrls,
                  QStringList{QStringLiteral("http://") + QString::fromLatin1(text)});
    }
}

} // namespace
} // namespace fenwick::testing
