// "Set" of the configuration and password dialogs: the checks in their order, the request's
// bytes, how it is addressed and counted, send failures, and the answer.
#include "codec/byte_order.h"
#include "config_fixture.h"

#include <functional>

namespace fenwick::testing {
namespace {

constexpr std::uint16_t kUnicastPort = kTestBasePort + 1;
constexpr std::uint16_t kAgentPort = kTestBasePort + 2;
constexpr std::uint32_t kBroadcast = 0xFFFFFFFF;

std::uint32_t Ip(int a, int b, int c, int d) {
    return static_cast<std::uint32_t>(a << 24 | b << 16 | c << 8 | d);
}

class SetRequestTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        Populate(2, 2);
    }

    // The header a set request to agent `agent` carries.
    Bytes Header(const AgentReply& agent, std::uint16_t code, std::uint16_t sequence) const {
        PacketHeader header;
        header.ProtocolVersion = 2;
        header.Mac = agent.mac;
        header.CommandCode = code;
        header.AgentKey = kTestKey;
        header.Sequence = sequence;
        return Datagram(header);
    }

    // Chooses the selected device and presses "Set" in the password or configuration dialog
    // with input that passes every check.
    SetOutcome ChooseAndSet(bool password) {
        if (password) {
            EXPECT_TRUE(core->ChooseForPasswordChange());
            return core->Password().ChangePassword(core->Password().ChosenMacText(),
                                                   QStringLiteral("a"), QStringLiteral("b"),
                                                   QStringLiteral("b"));
        }
        EXPECT_TRUE(core->ChooseForConfiguration());
        return core->Configuration().SetConfiguration(ChosenInput());
    }
};

TEST_F(SetRequestTest, ConfigurationChecksRunInOrderAndKeepTheDialogOpen) {
    const QString name20(20, u'n');
    const QString name21(21, u'n');
    struct Case {
        const char* what;
        bool monitored; // chosen in the Monitor List, else in the Discovery List
        std::function<void(ConfigurationInput&)> change;
        QString box; // empty: accepted and sent
        QString caption;
    };
    const QString error = QStringLiteral("Error");
    const QString settingFail = QStringLiteral("Setting fail");
    const QString notLatin1 = QStringLiteral(
        "Names, locations and passwords may hold only Latin-1 characters; nothing was sent.");
    const Case cases[] = {
        {"system name of 21", true, [&](ConfigurationInput& i) { i.systemName = name21; },
         QStringLiteral("System name lengths between 0-20"), error},
        {"system name first of several faults", true,
         [&](ConfigurationInput& i) {
             i.systemName = name21;
             i.password.clear();
             i.ipAddress = 0;
         },
         QStringLiteral("System name lengths between 0-20"), error},
        {"location of 21", true, [&](ConfigurationInput& i) { i.location = name21; },
         QStringLiteral("Location lengths between 0-20"), error},
        {"location before password", true,
         [&](ConfigurationInput& i) {
             i.location = name21;
             i.password.clear();
         },
         QStringLiteral("Location lengths between 0-20"), error},
        {"names of 20 and empty", true,
         [&](ConfigurationInput& i) {
             i.systemName = name20;
             i.location.clear();
         },
         QString(), QString()},
        {"empty password", true, [](ConfigurationInput& i) { i.password.clear(); },
         QStringLiteral("Password lengths between 1-20"), error},
        {"password of 21", true, [&](ConfigurationInput& i) { i.password = name21; },
         QStringLiteral("Password lengths between 1-20"), error},
        {"password before address", true,
         [](ConfigurationInput& i) {
             i.password.clear();
             i.ipAddress = 0;
         },
         QStringLiteral("Password lengths between 1-20"), error},
        {"password of 20", true, [&](ConfigurationInput& i) { i.password = name20; }, QString(),
         QString()},
        {"blank address", true, [](ConfigurationInput& i) { i.ipAddress = 0; },
         QStringLiteral("Illegal ip address"), error},
        {"monitored: its own address", true, [](ConfigurationInput&) {}, QString(), QString()},
        {"monitored: another monitored device's", true,
         [](ConfigurationInput& i) { i.ipAddress = AgentReply::Numbered(1).ip; },
         QStringLiteral("The setting IP have already existed "), settingFail},
        {"monitored: a discovered device's", true,
         [](ConfigurationInput& i) { i.ipAddress = AgentReply::Numbered(kFirstDiscovered).ip; },
         QStringLiteral("The setting IP have already existed "), settingFail},
        {"discovered: another discovered device's", false,
         [](ConfigurationInput& i) { i.ipAddress = AgentReply::Numbered(kFirstDiscovered).ip; },
         QString(), QString()},
        {"discovered: a monitored device's", false,
         [](ConfigurationInput& i) { i.ipAddress = AgentReply::Numbered(2).ip; },
         QStringLiteral("The setting IP have already existed "), settingFail},
        {"duplicate before mask", true,
         [](ConfigurationInput& i) {
             i.ipAddress = AgentReply::Numbered(1).ip;
             i.subnetMask = 0xFFFFFF00;
             i.gateway = Ip(1, 2, 3, 4);
         },
         QStringLiteral("The setting IP have already existed "), settingFail},
        {"host part all zeros", true,
         [](ConfigurationInput& i) {
             i.ipAddress = Ip(192, 168, 1, 0);
             i.subnetMask = 0xFFFFFF00;
         },
         QStringLiteral("Subnet mask is illegal"), error},
        {"broadcast address with a /24 mask", true,
         [](ConfigurationInput& i) {
             i.ipAddress = kBroadcast;
             i.subnetMask = 0xFFFFFF00;
         },
         QStringLiteral("Subnet mask is illegal"), error},
        {"mask of all ones", true,
         [](ConfigurationInput& i) {
             i.ipAddress = Ip(192, 168, 1, 0);
             i.subnetMask = 0xFFFFFFFF;
             i.gateway = 0;
         },
         QString(), QString()},
        {"gateway in another net", true,
         [](ConfigurationInput& i) {
             i.ipAddress = Ip(192, 168, 1, 5);
             i.subnetMask = 0xFFFFFF00;
             i.gateway = Ip(192, 168, 2, 1);
         },
         QStringLiteral("Gateway and ip address are not in the same net "), error},
        {"no gateway", true,
         [](ConfigurationInput& i) {
             i.ipAddress = Ip(192, 168, 1, 5);
             i.subnetMask = 0xFFFFFF00;
             i.gateway = 0;
             i.trapIp = 0;
         },
         QString(), QString()},
        // A character one byte cannot carry is refused, never sent as "?".
        {"system name with a euro sign", true,
         [](ConfigurationInput& i) { i.systemName = QStringLiteral("rack \u20AC"); }, notLatin1,
         error},
        {"location with an arrow", false,
         [](ConfigurationInput& i) { i.location = QStringLiteral("hall \u2192 2"); }, notLatin1,
         error},
        {"password with an l with stroke", true,
         [](ConfigurationInput& i) { i.password = QStringLiteral("\u0142ódź"); }, notLatin1, error},
        {"Latin-1 letters", true,
         [](ConfigurationInput& i) {
             i.systemName = QStringLiteral("B\u00FCro \u00E9t\u00E9");
             i.password = QStringLiteral("\u00DF\u00FF");
         },
         QString(), QString()},
    };
    for (const Case& c : cases) {
        ChooseForConfiguration(c.monitored ? std::vector<int>{1} : std::vector<int>{},
                               c.monitored ? std::vector<int>{} : std::vector<int>{1});
        ConfigurationInput input = ChosenInput();
        c.change(input);
        const SetOutcome outcome = core->Configuration().SetConfiguration(input);
        if (c.box.isEmpty()) {
            EXPECT_EQ(outcome, SetOutcome::Sent) << c.what;
            EXPECT_TRUE(prompts.boxes.empty())
                << c.what << ": " << BoxTexts().join(u'|').toStdString();
            EXPECT_EQ(SentSinceChoice().size(), 1u) << c.what;
        } else {
            EXPECT_EQ(outcome, SetOutcome::CheckFailed) << c.what;
            ASSERT_EQ(BoxTexts(), QStringList{c.box}) << c.what;
            EXPECT_EQ(prompts.boxes.front().caption, c.caption) << c.what;
            EXPECT_EQ(prompts.boxes.front().icon, UserPrompts::Icon::Error) << c.what;
            EXPECT_TRUE(SentSinceChoice().empty()) << c.what;
        }
        prompts.boxes.clear();
    }
}

TEST_F(SetRequestTest, AMonitoredDeviceGetsCode7ByUnicastAtItsCurrentAddress) {
    state->Reply.SetSequence = 0x1234;
    ChooseForConfiguration({1}, {});
    ConfigurationInput input = ChosenInput("pw");
    input.systemName = QStringLiteral("edge");
    input.location.clear();
    input.ipAddress = Ip(10, 77, 9, 9);
    input.subnetMask = 0xFFFF0000;
    input.gateway = Ip(10, 77, 0, 254);
    input.trapIp = Ip(10, 0, 0, 7);
    MonitorEntry(2).Answered = kAnswered;
    MonitorEntry(2).MissCount = 3;
    ASSERT_EQ(core->Configuration().SetConfiguration(input), SetOutcome::Sent);

    const AgentReply agent = AgentReply::Numbered(2);
    Bytes expected = Header(agent, 7, 0x1234);
    AppendText(expected, 9, "pw");
    AppendText(expected, 1, "ES-8");
    AppendText(expected, 2, "edge");
    AppendText(expected, 3, ""); // an empty location: length 4, no value
    AppendAddress(expected, 4, Ip(10, 77, 9, 9));
    AppendAddress(expected, 7, Ip(10, 0, 0, 7));
    AppendAddress(expected, 6, Ip(10, 77, 0, 254));
    AppendAddress(expected, 5, 0xFFFF0000);
    const auto sent = SentSinceChoice();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, expected);
    EXPECT_EQ(sent[0].fromPort, kUnicastPort);
    EXPECT_EQ(sent[0].address, agent.ip); // the address before the change
    EXPECT_EQ(sent[0].port, kAgentPort);
    // The header's own bytes, spelled out: code, MAC and sequence.
    EXPECT_EQ(LoadBe16(&sent[0].bytes[12]), 7);
    EXPECT_EQ(Bytes(sent[0].bytes.begin() + 4, sent[0].bytes.begin() + 10),
              (Bytes{0x00, 0x0A, 0x5B, 0x00, 0x00, 0x02}));
    EXPECT_EQ(LoadBe16(&sent[0].bytes[26]), 0x1234);
    // Counted as a request to the device; the sequence is left as it was.
    EXPECT_EQ(MonitorEntry(2).Answered, kNotAnswered);
    EXPECT_EQ(MonitorEntry(2).MissCount, 0);
    EXPECT_EQ(state->Reply.SetSequence, 0x1234);
    EXPECT_EQ(state->Pending.ReadPendingSetMac(), "000a5b000002");
    EXPECT_EQ(state->Pending.ReadPendingSetIp(), Ip(10, 77, 9, 9));
}

TEST_F(SetRequestTest, ADiscoveredDeviceGetsCode3ByBroadcastAndEveryMonitoredDeviceIsCounted) {
    ChooseForConfiguration({}, {0});
    MonitorEntry(1).Answered = kNotAnswered;
    MonitorEntry(1).MissCount = 1;
    ASSERT_EQ(core->Configuration().SetConfiguration(ChosenInput()), SetOutcome::Sent);
    ASSERT_EQ(core->Configuration().SetConfiguration(ChosenInput()), SetOutcome::Sent);
    const auto sent = SentSinceChoice();
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& datagram : sent) {
        EXPECT_EQ(datagram.address, kBroadcast);
        EXPECT_EQ(datagram.fromPort, kTestBasePort);
        EXPECT_EQ(datagram.port, kAgentPort);
        EXPECT_EQ(LoadBe16(&datagram.bytes[12]), 3);
        EXPECT_EQ(Bytes(datagram.bytes.begin() + 4, datagram.bytes.begin() + 10),
                  (Bytes{0x00, 0x0A, 0x5B, 0x00, 0x00, kFirstDiscovered}));
    }
    // Two sets before any reply carry the same sequence.
    EXPECT_EQ(LoadBe16(&sent[0].bytes[26]), LoadBe16(&sent[1].bytes[26]));
    EXPECT_EQ(MonitorEntry(1).MissCount, 3);
    EXPECT_EQ(MonitorEntry(2).Answered, kNotAnswered);
}

TEST_F(SetRequestTest, PasswordRequestCarriesTheCurrentValuesAndTheNewPasswordLast) {
    state->Reply.SetSequence = 7;
    for (const bool monitored : {true, false}) {
        SelectRows(monitored ? std::vector<int>{0} : std::vector<int>{},
                   monitored ? std::vector<int>{} : std::vector<int>{0});
        ASSERT_TRUE(core->ChooseForPasswordChange());
        const std::size_t before = network.sent.size();
        ASSERT_EQ(core->Password().ChangePassword(core->Password().ChosenMacText(),
                                                  QStringLiteral("old"), QStringLiteral("New1"),
                                                  QStringLiteral("New1")),
                  SetOutcome::Sent);
        const AgentReply agent = AgentReply::Numbered(monitored ? 1 : kFirstDiscovered);
        Bytes expected = Header(agent, monitored ? 7 : 3, 7);
        AppendText(expected, 9, "old");
        AppendText(expected, 1, agent.product);
        AppendText(expected, 2, agent.systemName);
        AppendText(expected, 3, agent.location);
        AppendAddress(expected, 4, agent.ip);
        AppendAddress(expected, 7, agent.trapIp);
        AppendAddress(expected, 6, agent.gateway);
        AppendAddress(expected, 5, agent.mask);
        AppendText(expected, 8, "New1");
        ASSERT_EQ(network.sent.size(), before + 1);
        EXPECT_EQ(network.sent.back().bytes, expected);
        EXPECT_EQ(network.sent.back().address, monitored ? agent.ip : kBroadcast);
        EXPECT_EQ(state->Pending.ReadPendingSetIp(), agent.ip);
    }
}

TEST_F(SetRequestTest, PasswordChecksRunInOrder) {
    const QString p20(20, u'p');
    const QString p21(21, u'p');
    const QString length = QStringLiteral("Password length between 1-20  ");
    const QString confirm = QStringLiteral("Confirm password fail");
    const QString notLatin1 = QStringLiteral(
        "Names, locations and passwords may hold only Latin-1 characters; nothing was sent.");
    struct Case {
        QString original, newPassword, confirmation, box;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("abc"), QStringLiteral("abc"), length},
        {p21, QStringLiteral("abc"), QStringLiteral("abc"), length},
        {QStringLiteral("old"), QString(), QString(), length},
        {QStringLiteral("old"), p21, p21, length},
        {QString(), QString(), QString(), length},
        {QStringLiteral("old"), QStringLiteral("abc"), QString(), confirm},
        {QStringLiteral("old"), QStringLiteral("abc"), QStringLiteral("ab"), confirm},
        {QStringLiteral("old"), QStringLiteral("abc"), QStringLiteral("ABC"), confirm},
        {QStringLiteral("old"), QStringLiteral("abc"), QStringLiteral("abcd"), confirm},
        {p20, p20, p20, QString()},
        {QStringLiteral("old"), QStringLiteral("\u20ACuro"), QStringLiteral("\u20ACuro"),
         notLatin1},
        {QStringLiteral("\u0142"), QStringLiteral("abc"), QStringLiteral("abc"), notLatin1},
        {QStringLiteral("\u00E9"), QStringLiteral("\u00FF"), QStringLiteral("\u00FF"), QString()},
    };
    SelectRows({0}, {});
    ASSERT_TRUE(core->ChooseForPasswordChange());
    for (const Case& c : cases) {
        const std::size_t before = network.sent.size();
        const SetOutcome outcome = core->Password().ChangePassword(
            core->Password().ChosenMacText(), c.original, c.newPassword, c.confirmation);
        const std::string what =
            (c.original + u'/' + c.newPassword + u'/' + c.confirmation).toStdString();
        if (c.box.isEmpty()) {
            EXPECT_EQ(outcome, SetOutcome::Sent) << what;
            EXPECT_TRUE(prompts.boxes.empty()) << what;
            EXPECT_EQ(network.sent.size(), before + 1) << what;
        } else {
            EXPECT_EQ(outcome, SetOutcome::CheckFailed) << what;
            EXPECT_EQ(BoxTexts(), QStringList{c.box}) << what;
            EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Error")) << what;
            EXPECT_EQ(network.sent.size(), before) << what;
        }
        prompts.boxes.clear();
    }
}

// The sent bytes of a Latin-1 text are its characters, one byte each.
TEST_F(SetRequestTest, Latin1TextsTravelAsTheirOwnBytes) {
    SelectRows({0}, {});
    ASSERT_TRUE(core->ChooseForPasswordChange());
    ASSERT_EQ(core->Password().ChangePassword(core->Password().ChosenMacText(),
                                              QStringLiteral("\u00E9t\u00E9"),
                                              QStringLiteral("\u00FF1"), QStringLiteral("\u00FF1")),
              SetOutcome::Sent);
    const Bytes& sent = network.sent.back().bytes;
    const Bytes original = {9, 0, 7, 0xE9, 't', 0xE9};
    const Bytes last = {8, 0, 6, 0xFF, '1'};
    EXPECT_TRUE(std::search(sent.begin(), sent.end(), original.begin() + 1, original.end()) !=
                sent.end());
    EXPECT_TRUE(std::equal(last.begin() + 1, last.end(), sent.end() - 4));
}

// The upgrade's confirmation empties and refills the Discovery List on timers while a
// configuration or password dialog is open; "Set" goes to the device the dialog showed,
// wherever it stands now, or nowhere.
TEST_F(SetRequestTest, SetGoesToTheDeviceTheDialogShowedAfterARefill) {
    const AgentReply first = AgentReply::Numbered(kFirstDiscovered);
    const AgentReply second = AgentReply::Numbered(kFirstDiscovered + 1);
    struct Case {
        const char* what;
        bool password;
        std::vector<AgentReply> refill; // in the order they answer
        bool sent;
    };
    const Case cases[] = {
        {"settings: moved", false, {second, first}, true},
        {"password: moved", true, {second, first}, true},
        {"settings: gone", false, {first}, false},
        {"password: gone", true, {first}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core->Discovery();
        Receive(first);
        Receive(second);
        SelectRows({}, {1}); // the second discovered device
        ASSERT_TRUE(c.password ? core->ChooseForPasswordChange() : core->ChooseForConfiguration());
        // What the dialog holds once it is open.
        const ConfigurationInput values = ChosenInput();
        const QString mac = core->Password().ChosenMacText();
        ASSERT_EQ(mac, MacOf(kFirstDiscovered + 1));

        core->Discovery();
        for (const AgentReply& agent : c.refill) {
            Receive(agent);
        }
        prompts.boxes.clear();
        const std::size_t before = network.sent.size();
        const SetOutcome outcome =
            c.password ? core->Password().ChangePassword(mac, QStringLiteral("a"),
                                                         QStringLiteral("b"), QStringLiteral("b"))
                       : core->Configuration().SetConfiguration(values);

        if (c.sent) {
            EXPECT_EQ(outcome, SetOutcome::Sent);
            EXPECT_TRUE(prompts.boxes.empty()) << BoxTexts().join(u'|').toStdString();
            ASSERT_EQ(network.sent.size(), before + 1);
            EXPECT_EQ(Bytes(network.sent.back().bytes.begin() + 4,
                            network.sent.back().bytes.begin() + 10),
                      Bytes(second.mac.begin(), second.mac.end()));
            EXPECT_EQ(state->Pending.ReadPendingSetIp(), second.ip);
        } else {
            EXPECT_EQ(outcome, SetOutcome::CheckFailed) << "the dialog stays open";
            EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("The device %1 is no longer listed; "
                                                             "nothing was sent.")
                                                  .arg(mac)});
            EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Error"));
            EXPECT_EQ(network.sent.size(), before);
        }
    }
}

TEST_F(SetRequestTest, AFailedSendIsToldAndClosesTheDialog) {
    struct Case {
        bool monitored;
        bool password;
        QString box;
    };
    const Case cases[] = {
        {true, false, QStringLiteral("Unicast set send error")},
        {true, true, QStringLiteral("unicast set send error")},
        {false, false, QStringLiteral("UDP set send error")},
        {false, true, QStringLiteral("UDP set send error")},
    };
    network.sendError = 101;
    for (const Case& c : cases) {
        SelectRows(c.monitored ? std::vector<int>{0} : std::vector<int>{},
                   c.monitored ? std::vector<int>{} : std::vector<int>{0});
        const SetOutcome outcome = ChooseAndSet(c.password);
        EXPECT_EQ(outcome, SetOutcome::SendFailed) << c.box.toStdString();
        EXPECT_EQ(BoxTexts(), QStringList{c.box});
        EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Error"));
        prompts.boxes.clear();
    }
}

TEST_F(SetRequestTest, AMacTextThatCannotAddressTheDeviceIsToldAndNothingIsSent) {
    for (const char* mac : {"000a5b00zz02", "000a5b", ""}) {
        SetFieldText(MonitorEntry(2).MacText, mac);
        SelectRows({1}, {});
        for (const bool password : {false, true}) {
            state->Pending.WritePendingSetMac("earlier");
            const std::size_t before = network.sent.size();
            const SetOutcome outcome = ChooseAndSet(password);
            EXPECT_EQ(outcome, SetOutcome::SendFailed) << mac;
            EXPECT_EQ(BoxTexts(),
                      QStringList{QStringLiteral("The device's MAC address %1 is not valid")
                                      .arg(QString::fromLatin1(mac))});
            EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Error"));
            EXPECT_EQ(network.sent.size(), before) << mac;
            EXPECT_EQ(state->Pending.ReadPendingSetMac(), "earlier");
            prompts.boxes.clear();
        }
    }
}

TEST_F(SetRequestTest, TheMatchingAnswerShowsSetSuccessfulOnce) {
    // A monitored device changes its address and answers from the new one.
    ChooseForConfiguration({1}, {});
    ConfigurationInput input = ChosenInput();
    input.ipAddress = Ip(10, 77, 5, 5);
    ASSERT_EQ(core->Configuration().SetConfiguration(input), SetOutcome::Sent);
    AgentReply answer = AgentReply::Numbered(2);
    answer.ip = Ip(10, 77, 5, 5);
    answer.bodyIp = answer.ip;
    answer.code = kCommandSetUnicastReply;
    Receive(answer);
    Receive(answer);
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Set Successful")});
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn),
              (QStringList{IpOf(1), QStringLiteral("10.77.5.5")}));

    // A discovered device takes a new name by broadcast; its answer echoes the sequence.
    prompts.boxes.clear();
    ChooseForConfiguration({}, {0});
    input = ChosenInput();
    input.systemName = QStringLiteral("renamed");
    ASSERT_EQ(core->Configuration().SetConfiguration(input), SetOutcome::Sent);
    answer = AgentReply::Numbered(kFirstDiscovered);
    answer.systemName = "renamed";
    answer.code = kCommandSetBroadcastReply;
    answer.sequence = state->Reply.SetSequence;
    Receive(answer);
    Receive(answer); // the sequence has moved on: dropped
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Set Successful")});
    EXPECT_EQ(Column(core->DiscoveryList(), 4).front(), QStringLiteral("renamed"));

    // A wrong password comes back as the device's error.
    prompts.boxes.clear();
    ChooseForConfiguration({}, {0});
    ASSERT_EQ(core->Configuration().SetConfiguration(ChosenInput()), SetOutcome::Sent);
    answer.status = 2;
    answer.sequence = state->Reply.SetSequence;
    Receive(answer);
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Device return : password error")});
}

} // namespace
} // namespace fenwick::testing
