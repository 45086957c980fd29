// The firmware upgrade around its transfer: the launch checks on the main window, "Start" with
// its trigger and two-second wait, and the confirmation that the device came back.
#include "config_fixture.h"
#include "core/firmware/tftp_transfer.h"
#include "core/firmware/upgrade_start.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace fenwick::testing {
namespace {

constexpr std::uint16_t kAgentPort = kTestBasePort + 2;
constexpr std::uint16_t kTftpPort = TftpTransfer::kLocalPort;
constexpr int kDevice = kFirstDiscovered;    // the discovered agent upgraded unless said
constexpr std::uint32_t kOther = 0xC0A80114; // 192.168.1.20

class FirmwareUpgradeTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        Populate(2, 2);
        QObject::connect(&core->Upgrade(), &UpgradeStart::upgradeStateChanged,
                         [this](const QString& text) { states.push_back(text); });
        QObject::connect(&core->Tftp(), &TftpTransfer::upgradeStateChanged,
                         [this](const QString& text) { states.push_back(text); });
        QObject::connect(&core->Upgrade(), &UpgradeStart::waitingChanged, [this](bool waiting) {
            waits.push_back({waiting, clock.Now()});
        });
    }

    // Selects the rows and presses "Firmware upgrade".
    bool Launch(const std::vector<int>& monitorRows, const std::vector<int>& discoveryRows) {
        SelectRows(monitorRows, discoveryRows);
        return core->ChooseForUpgrade();
    }

    // An image of `size` bytes in the test's folder.
    QString Image(std::size_t size = 1000) {
        const QString path = root.path() + QStringLiteral("/firmware.hex");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(static_cast<qsizetype>(size), 'x'));
        return path;
    }

    void Start(const char* password = "admin") {
        sentBefore = network.sent.size();
        core->Upgrade().OnStart(QString::fromLatin1(password), Image());
    }

    // Agent n's answer to the trigger, with the current sequence.
    void AcknowledgeTrigger(int n = kDevice, std::uint16_t status = 0) {
        AgentReply reply = AgentReply::Numbered(n);
        reply.code = kCommandUpgradeTriggerReply;
        reply.sequence = state->Reply.SetSequence;
        reply.status = status;
        Receive(reply);
    }

    void TftpAck(std::uint16_t block, int n = kDevice) {
        ASSERT_TRUE(network.Deliver(
            kTftpPort,
            {0, 4, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)},
            AgentReply::Numbered(n).ip));
    }

    std::vector<MemoryNetwork::Sent> Sent() const { return SentSinceChoice(); }

    QStringList UpgradeWindowBoxes() const {
        QStringList texts;
        for (const RecordingPrompts::Box& box : upgradePrompts.boxes) {
            texts << box.text;
        }
        return texts;
    }

    std::vector<QString> states;
    std::vector<std::pair<bool, std::int64_t>> waits;
};

TEST_F(FirmwareUpgradeTest, LaunchTakesInterfaceZeroAndLoaderModeButNotNewerVersions) {
    struct Case {
        const char* what;
        std::uint16_t protocol;
        std::uint16_t interface;
        std::int32_t agentState;
        QString box; // empty: launched
    };
    const Case cases[] = {
        {"interface 1", 2, 1, 0, {}},
        {"interface 0", 2, 0, 0, {}},
        {"loader mode", 2, 1, kAgentStateLoader, {}},
        {"interface 2", 2, 2, 0, QStringLiteral("agent interface version not support")},
        {"protocol 3", 3, 1, 0, QStringLiteral("agent protocol version not support")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts.boxes.clear();
        SetFieldText(state->Reply.UpgradeTargetMac, {});
        state->Upgrade.UpgradeTargetIp = 0;
        DeviceRecord& device = DiscoveryEntry(kDevice + 1);
        device.ProtocolVersion = c.protocol;
        device.InterfaceVersion = c.interface;
        device.AgentState = c.agentState;

        const bool launched = Launch({}, {1});
        EXPECT_EQ(launched, c.box.isEmpty());
        EXPECT_EQ(BoxTexts(), c.box.isEmpty() ? QStringList() : QStringList{c.box});
        EXPECT_EQ(FieldText(state->Reply.UpgradeTargetMac),
                  launched ? MacOf(kDevice + 1).toStdString() : "");
        EXPECT_EQ(state->Upgrade.UpgradeTargetIp, launched ? device.IpAddress : 0u);
    }
}

TEST_F(FirmwareUpgradeTest, LaunchWithARowInEachListUpgradesTheDiscoveredDevice) {
    ASSERT_TRUE(Launch({0}, {1}));
    EXPECT_EQ(state->Selection.SelectedInMonitor, kChosenInDiscovery);
    EXPECT_EQ(FieldText(state->Reply.UpgradeTargetMac), MacOf(kDevice + 1).toStdString());
}

TEST_F(FirmwareUpgradeTest, DuplicateIpIsLookedForInTheChosenListOnly) {
    // The monitored agent 1 shares the discovered agent's address: not a duplicate there.
    MonitorEntry(1).IpAddress = DiscoveryEntry(kDevice).IpAddress;
    EXPECT_TRUE(Launch({}, {0}));
    EXPECT_TRUE(BoxTexts().isEmpty());

    DiscoveryEntry(kDevice + 1).IpAddress = DiscoveryEntry(kDevice).IpAddress;
    state->Upgrade.UpgradeTargetIp = 0;
    EXPECT_FALSE(Launch({}, {0}));
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Duplicate IP")});
    EXPECT_EQ(prompts.boxes.back().caption, QStringLiteral("Error"));
    EXPECT_EQ(state->Upgrade.UpgradeTargetIp, 0u);
}

TEST_F(FirmwareUpgradeTest, TheDeviceMustShareASubnetWithOneOfTheManagersAddresses) {
    const InterfaceAddress loopback{"lo", 1, 0x7F000001, 0xFF000000, true, true, false};
    const InterfaceAddress ten{"eth0", 2, 0x0A000005, 0xFF000000, true, false, true};
    const InterfaceAddress lan{"eth1", 3, 0xC0A80105, 0xFFFFFF00, true, false, true};
    const InterfaceAddress anyMask{"eth2", 4, 0x0A000005, 0, true, false, true};
    struct Case {
        const char* what;
        std::vector<InterfaceAddress> local;
        bool launched;
    };
    const Case cases[] = {
        {"same /24", {lan}, true},
        {"only another subnet and loopback", {loopback, ten}, false},
        {"the second address matches", {loopback, ten, lan}, true},
        {"mask 0.0.0.0 takes every device", {loopback, anyMask}, true},
        {"no address known", {}, false},
    };
    DiscoveryEntry(kDevice).IpAddress = kOther;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts.boxes.clear();
        localAddresses.Set(c.local);
        EXPECT_EQ(Launch({}, {0}), c.launched);
        EXPECT_EQ(BoxTexts(),
                  c.launched ? QStringList()
                             : QStringList{QStringLiteral(
                                   "The device IP and manager IP are not in the same subnet")});
    }
}

TEST_F(FirmwareUpgradeTest, StartRefusesBadPasswordsAndImagesInTheUpgradeWindow) {
    ASSERT_TRUE(Launch({}, {0}));
    const QString image = Image();
    const QString missing = root.path() + QStringLiteral("/none.hex");
    const QString tooLong = root.path() + u'/' + QString(130, u'a') + QStringLiteral(".hex");
    const QString fifo = root.path() + QStringLiteral("/pipe.hex");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString empty = root.path() + QStringLiteral("/empty.hex");
    ASSERT_TRUE(QFile(empty).open(QIODevice::WriteOnly));
    // Sparse: 65535 blocks of 512 bytes would need a block number past 0xFFFF.
    const QString huge = root.path() + QStringLiteral("/huge.hex");
    ASSERT_TRUE(QFile(huge).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::resize(huge, qint64{0xFFFF} * 512));
    struct Case {
        QString password;
        QString path;
        QString box;
    };
    const Case cases[] = {
        {QString(), image, QStringLiteral("Password lengths between 1-20")},
        {QString(21, u'p'), image, QStringLiteral("Password lengths between 1-20")},
        {QStringLiteral("admin"), missing, QStringLiteral("Firmware file not found")},
        {QStringLiteral("admin"), QString(), QStringLiteral("Firmware file not found")},
        {QStringLiteral("admin"), tooLong,
         QStringLiteral("The firmware path is too long; it may have at most 127 bytes")},
        {QStringLiteral("admin"), root.path(),
         QStringLiteral("The firmware path is not a regular file")},
        {QStringLiteral("admin"), fifo, QStringLiteral("The firmware path is not a regular file")},
        {QStringLiteral("admin"), empty, QStringLiteral("The firmware file is empty")},
        {QStringLiteral("admin"), huge,
         QStringLiteral("The firmware file is too large; it may have at most 33553919 bytes")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box.toStdString());
        upgradePrompts.boxes.clear();
        sentBefore = network.sent.size();
        core->Upgrade().OnStart(c.password, c.path);
        EXPECT_EQ(UpgradeWindowBoxes(), QStringList{c.box});
        EXPECT_EQ(upgradePrompts.boxes.back().caption, QStringLiteral("Error"));
        EXPECT_TRUE(Sent().empty());
        EXPECT_TRUE(states.empty());
        EXPECT_FALSE(core->Upgrade().Waiting());
    }
    EXPECT_TRUE(prompts.boxes.empty());

    // One byte less than the refused size is an image.
    ASSERT_TRUE(QFile::resize(huge, qint64{0xFFFF} * 512 - 1));
    upgradePrompts.boxes.clear();
    core->Upgrade().OnStart(QStringLiteral("admin"), huge);
    EXPECT_TRUE(upgradePrompts.boxes.empty());
    EXPECT_TRUE(core->Upgrade().Waiting());
}

TEST_F(FirmwareUpgradeTest, TriggersADiscoveredDeviceByBroadcastAndAMonitoredOneByUnicast) {
    struct Case {
        const char* what;
        std::vector<int> monitorRows;
        std::vector<int> discoveryRows;
        int agent;
        std::uint32_t address;
        std::uint16_t fromPort;
    };
    const Case cases[] = {
        {"discovered", {}, {0}, kDevice, 0xFFFFFFFF, kTestBasePort},
        {"monitored", {1}, {}, 2, AgentReply::Numbered(2).ip, kTestBasePort + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Launch(c.monitorRows, c.discoveryRows));
        state->Reply.SetSequence = 0x0304;
        Start("admin");
        const std::vector<MemoryNetwork::Sent> sent = Sent();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].address, c.address);
        EXPECT_EQ(sent[0].port, kAgentPort);
        EXPECT_EQ(sent[0].fromPort, c.fromPort);
        const Bytes& trigger = sent[0].bytes;
        ASSERT_EQ(trigger.size(), 49u);
        EXPECT_EQ(Bytes(trigger.begin() + 40, trigger.begin() + 44), (Bytes{0, 9, 0, 9}));
        EXPECT_EQ(std::string(trigger.begin() + 44, trigger.end()), "admin");
        const PacketHeader header = DecodeHeader(trigger);
        EXPECT_EQ(header.CommandCode, kCommandUpgradeTrigger);
        EXPECT_EQ(header.Sequence, 0x0304);
        EXPECT_EQ(header.Mac, AgentReply::Numbered(c.agent).mac);
        EXPECT_EQ(state->Reply.SetSequence, 0x0304); // the sender leaves it
        clock.Advance(UpgradeStart::kAcknowledgementWaitMilliseconds);
    }
}

TEST_F(FirmwareUpgradeTest, TheTriggerGoesToTheDeviceTheWindowShowsWhateverHappenedSince) {
    struct Case {
        const char* what;
        std::vector<int> monitorRows; // the upgrade's choice
        std::vector<int> discoveryRows;
        std::vector<int> laterMonitorRows; // a configuration command's choice afterwards
        std::vector<int> laterDiscoveryRows;
        int agent;
        std::uint32_t address;
    };
    const Case cases[] = {
        {"discovered, then a monitored one configured", {}, {0}, {1}, {}, kDevice, 0xFFFFFFFF},
        {"monitored, then a discovered one configured",
         {0},
         {},
         {},
         {1},
         1,
         AgentReply::Numbered(1).ip},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Launch(c.monitorRows, c.discoveryRows));
        SelectRows(c.laterMonitorRows, c.laterDiscoveryRows);
        ASSERT_TRUE(core->ChooseForConfiguration());
        // A discovery refills the Discovery List in another order.
        core->Discovery();
        Receive(AgentReply::Numbered(kDevice + 1));
        Receive(AgentReply::Numbered(kDevice));
        Start();
        const std::vector<MemoryNetwork::Sent> sent = Sent();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].address, c.address);
        EXPECT_EQ(DecodeHeader(sent[0].bytes).Mac, AgentReply::Numbered(c.agent).mac);
        clock.Advance(UpgradeStart::kAcknowledgementWaitMilliseconds);
    }
}

TEST_F(FirmwareUpgradeTest, WithoutAcknowledgementTheWaitEndsInTriggerFail) {
    struct Case {
        const char* what;
        std::optional<std::uint16_t> answerStatus;
        QStringList mainBoxes;
    };
    const Case cases[] = {
        {"no answer", std::nullopt, {}},
        {"wrong password", 2, {QStringLiteral("Device return : password error")}},
    };
    ASSERT_TRUE(Launch({}, {0}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts.boxes.clear();
        states.clear();
        waits.clear();
        const std::int64_t started = clock.Now();
        Start();
        if (c.answerStatus) {
            AcknowledgeTrigger(kDevice, *c.answerStatus);
        }
        EXPECT_TRUE(core->Upgrade().Waiting());
        clock.Advance(1999);
        EXPECT_EQ(states, (std::vector<QString>{QStringLiteral("Wait....")}));
        clock.Advance(1);
        EXPECT_EQ(states, (std::vector<QString>{QStringLiteral("Wait...."),
                                                QStringLiteral("Trigger fail")}));
        EXPECT_EQ(waits, (std::vector<std::pair<bool, std::int64_t>>{{true, started},
                                                                     {false, started + 2000}}));
        EXPECT_EQ(BoxTexts(), c.mainBoxes);
        EXPECT_EQ(network.BoundTo(kTftpPort), nullptr);
    }
    // An answer after the wait is still taken, but it answers that trigger, not the next: the
    // next "Start" needs an acknowledgement of its own.
    AcknowledgeTrigger();
    EXPECT_EQ(state->Reply.TriggerAcknowledged, 1);
    states.clear();
    Start();
    clock.Advance(2000);
    EXPECT_EQ(states,
              (std::vector<QString>{QStringLiteral("Wait...."), QStringLiteral("Trigger fail")}));
    EXPECT_EQ(network.BoundTo(kTftpPort), nullptr);
}

TEST_F(FirmwareUpgradeTest, AnAcknowledgedTriggerStartsTheTransferAndASecondStartDoesNothing) {
    ASSERT_TRUE(Launch({}, {0}));
    const auto triggers = [this] {
        return std::count_if(network.sent.begin(), network.sent.end(),
                             [](const MemoryNetwork::Sent& s) {
                                 return s.port == kAgentPort &&
                                        DecodeHeader(s.bytes).CommandCode == kCommandUpgradeTrigger;
                             });
    };
    const auto writeRequests = [this] {
        return std::count_if(network.sent.begin(), network.sent.end(),
                             [](const MemoryNetwork::Sent& s) {
                                 return s.port == 69 && s.bytes.size() > 2 && s.bytes[1] == 2;
                             });
    };
    Start();
    AcknowledgeTrigger();
    core->Upgrade().OnStart(QStringLiteral("admin"), Image()); // during the wait
    EXPECT_EQ(triggers(), 1);
    clock.Advance(2000);
    ASSERT_NE(network.BoundTo(kTftpPort), nullptr);
    EXPECT_EQ(state->Reply.TriggerAcknowledged, 0);
    EXPECT_EQ(writeRequests(), 1);
    EXPECT_EQ(network.sent.back().address, AgentReply::Numbered(kDevice).ip);

    core->Upgrade().OnStart(QStringLiteral("admin"), Image()); // during the transfer
    EXPECT_EQ(triggers(), 1);
    EXPECT_EQ(writeRequests(), 1);
    EXPECT_TRUE(upgradePrompts.boxes.empty());
    EXPECT_EQ(states, (std::vector<QString>{QStringLiteral("Wait....")}));
}

TEST_F(FirmwareUpgradeTest, ADeviceThatNeverAnswersTheWriteRequestIsNotFoundEightSecondsOn) {
    ASSERT_TRUE(Launch({}, {0}));
    const std::int64_t started = clock.Now();
    Start();
    AcknowledgeTrigger();
    std::int64_t notFoundAt = -1;
    QObject::connect(&core->Tftp(), &TftpTransfer::upgradeStateChanged, [&](const QString& text) {
        if (text == QStringLiteral("Device not found")) {
            notFoundAt = clock.Now();
        }
    });
    clock.Advance(20000);
    EXPECT_EQ(notFoundAt - started, 2000 + 6000);
    EXPECT_EQ(std::count_if(network.sent.begin(), network.sent.end(),
                            [](const MemoryNetwork::Sent& s) { return s.port == 69; }),
              6);
}

TEST_F(FirmwareUpgradeTest, BrowseTakesTheChosenPathAndCancellingEmptiesIt) {
    upgradePrompts.fileNames = {QStringLiteral("/srv/images/es8-2.1.hex"), QString()};
    EXPECT_EQ(core->Upgrade().OnBrowse(), QStringLiteral("/srv/images/es8-2.1.hex"));
    EXPECT_EQ(FieldText(state->Upgrade.FirmwarePath), "/srv/images/es8-2.1.hex");
    EXPECT_EQ(upgradePrompts.fileDialogs.back().filter, QStringLiteral("hex File (*.hex)"));
    EXPECT_EQ(upgradePrompts.fileDialogs.back().proposedName, QStringLiteral("*.hex"));
    EXPECT_EQ(core->Upgrade().OnBrowse(), QString());
    EXPECT_EQ(FieldText(state->Upgrade.FirmwarePath), "");
}

// Runs an acknowledged upgrade of a 1000-byte image to the end; returns when the final block
// was acknowledged.
class ConfirmationTest : public FirmwareUpgradeTest {
protected:
    std::int64_t Upgrade() {
        EXPECT_TRUE(Launch({}, {0}));
        Start();
        AcknowledgeTrigger();
        clock.Advance(2000);
        TftpAck(0);
        TftpAck(1);
        TftpAck(2);
        return clock.Now();
    }

    std::vector<MemoryNetwork::Sent> DiscoveryRequests(std::size_t from) const {
        std::vector<MemoryNetwork::Sent> requests;
        for (std::size_t i = from; i < network.sent.size(); ++i) {
            if (network.sent[i].port == kAgentPort &&
                DecodeHeader(network.sent[i].bytes).CommandCode == kCommandDiscovery) {
                requests.push_back(network.sent[i]);
            }
        }
        return requests;
    }
};

TEST_F(ConfirmationTest, TellsWhetherTheDeviceAnsweredTheDiscoveryAfterItsRestart) {
    struct Case {
        const char* what;
        std::optional<AgentReply> answer;
        QString result;
        UserPrompts::Icon icon;
    };
    AgentReply movedDevice = AgentReply::Numbered(kDevice);
    movedDevice.ip = 0x0A4D0050; // back with another address
    const Case cases[] = {
        {"answers", AgentReply::Numbered(kDevice), QStringLiteral("Upgrade successful"),
         UserPrompts::Icon::Information},
        {"answers from another address", movedDevice, QStringLiteral("Upgrade successful"),
         UserPrompts::Icon::Information},
        {"another device answers", AgentReply::Numbered(kDevice + 1),
         QStringLiteral("Upgrade fail"), UserPrompts::Icon::Warning},
        {"still restarting", std::nullopt, QStringLiteral("Upgrade fail"),
         UserPrompts::Icon::Warning},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core->Discovery(); // the upgraded device in row 0, the other in row 1
        Receive(AgentReply::Numbered(kDevice));
        Receive(AgentReply::Numbered(kDevice + 1));
        const std::size_t before = network.sent.size();
        const std::int64_t finalAck = Upgrade();
        prompts.boxes.clear();

        clock.Advance(17000 - 1);
        EXPECT_TRUE(DiscoveryRequests(before).empty());
        Receive(AgentReply::Numbered(1)); // a monitored device has just answered
        ASSERT_EQ(MonitorEntry(1).Answered, kAnswered);
        EXPECT_EQ(core->DiscoveryList().RowCount(), 2);
        clock.Advance(1);
        ASSERT_EQ(DiscoveryRequests(before).size(), 1u);
        EXPECT_EQ(DiscoveryRequests(before)[0].address, 0xFFFFFFFFu);
        EXPECT_EQ(clock.Now() - finalAck, 17000);
        EXPECT_EQ(core->DiscoveryList().RowCount(), 0);
        // Not counted as a request to the monitored devices, which would await a new answer.
        EXPECT_EQ(MonitorEntry(1).Answered, kAnswered);

        if (c.answer) {
            Receive(*c.answer);
        }
        clock.Advance(1999);
        EXPECT_TRUE(prompts.boxes.empty());
        clock.Advance(1);
        ASSERT_EQ(prompts.boxes.size(), 1u);
        EXPECT_EQ(prompts.boxes[0].text, c.result);
        EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("information"));
        EXPECT_EQ(prompts.boxes[0].icon, c.icon);
        EXPECT_EQ(core->DiscoveryList().RowCount(), c.answer ? 1 : 0);
    }
}

TEST_F(ConfirmationTest, NoOtherUpgradeIsLaunchedWhileOneIsBeingConfirmed) {
    core->Discovery();
    Receive(AgentReply::Numbered(kDevice));
    Receive(AgentReply::Numbered(kDevice + 1));
    Upgrade();
    const std::string confirmed(FieldText(state->Reply.UpgradeTargetMac));
    clock.Advance(5000); // the upgrade window has closed; the confirmation waits
    prompts.boxes.clear();
    EXPECT_FALSE(Launch({}, {1}));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              QStringLiteral("The last upgrade is still being confirmed; wait for its result "
                             "before starting another"));
    EXPECT_EQ(FieldText(state->Reply.UpgradeTargetMac), confirmed);

    clock.Advance(12000);
    Receive(AgentReply::Numbered(kDevice)); // the upgraded device is back
    Receive(AgentReply::Numbered(kDevice + 1));
    clock.Advance(2000);
    EXPECT_EQ(prompts.boxes.back().text, QStringLiteral("Upgrade successful"));
    EXPECT_TRUE(Launch({}, {1})); // once told, the next upgrade may begin
    EXPECT_EQ(FieldText(state->Reply.UpgradeTargetMac), MacOf(kDevice + 1).toStdString());
}

} // namespace
} // namespace fenwick::testing
