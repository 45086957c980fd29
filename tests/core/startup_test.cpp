#include "codec/monitor_records.h"
#include "core_fixture.h"

#include <algorithm>

namespace fenwick::testing {
namespace {

class Startup : public CoreFixture {};

TEST_F(Startup, OpensBothSocketsOnTheDefinitionFilesPorts) {
    Start();
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(state->Protocol.AgentKey, kTestKey);
    EXPECT_EQ(state->Reply.AgentKey, kTestKey);
    for (std::uint16_t port : {kTestBasePort, static_cast<std::uint16_t>(kTestBasePort + 1)}) {
        ASSERT_NE(network.BoundTo(port), nullptr) << port;
        EXPECT_TRUE(network.BoundTo(port)->Watched()) << port;
    }
}

TEST_F(Startup, ARejectedDefinitionFileStillStartsWithZeroKeyAndPorts) {
    WriteDefinition({1, 2, 3, 4}); // wrong byte sum
    Start();
    EXPECT_EQ(BoxTexts(), (QStringList{QStringLiteral("define.ecf checksum error"),
                                       QStringLiteral("It will cause the application fail\n \n"
                                                      "define.ecf looked for in:\n") +
                                           Folder()}));
    EXPECT_EQ(prompts.boxes[1].caption, QStringLiteral("Error"));
    EXPECT_EQ(state->Protocol.AgentKey, 0u);
    EXPECT_EQ(state->Protocol.AgentPort, 0);
    // Port 0 lets the system choose a port for each socket; both are open.
    MemoryNetwork::Socket* first = network.BoundTo(49152);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(network.BoundTo(49153), nullptr);
    // Only replies carrying the key 0 are accepted now.
    AgentReply agent;
    agent.key = 0;
    ASSERT_TRUE(network.Deliver(first->Port(), agent.Datagram(), agent.ip));
    agent.key = kTestKey;
    agent.mac[5] = 2;
    ASSERT_TRUE(network.Deliver(first->Port(), agent.Datagram(), agent.ip));
    EXPECT_EQ(core->DiscoveryList().RowCount(), 1);
}

TEST_F(Startup, AMissingDefinitionFileIsTakenFromTheSiteFolder) {
    // The operator's folder holds no define.ecf: the site's is read, never written; when
    // neither has one, the box names both folders, in the order they were searched.
    const QString own = root.path() + QStringLiteral("/own");
    const QString nowhere = root.path() + QStringLiteral("/nowhere");
    struct Case {
        const char* what;
        QString site;
        bool accepted;
        QString lookedIn;
    };
    const Case cases[] = {
        {"site holds it", Folder(), true, {}},
        {"site holds none", nowhere, false, own + u'\n' + nowhere},
        {"no site folder", QString(), false, own},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts.boxes.clear();
        configFolder = own;
        siteFolder = c.site;
        Start();
        if (c.accepted) {
            EXPECT_TRUE(prompts.boxes.empty());
            EXPECT_EQ(state->Protocol.AgentKey, kTestKey);
        } else {
            ASSERT_EQ(prompts.boxes.size(), 2u);
            EXPECT_TRUE(prompts.boxes[0].text.startsWith(QStringLiteral("define.ecf is missing: ") +
                                                         own + QStringLiteral("/define.ecf")));
            EXPECT_EQ(prompts.boxes[1].text,
                      QStringLiteral("It will cause the application fail\n \n"
                                     "define.ecf looked for in:\n") +
                          c.lookedIn);
        }
        EXPECT_FALSE(QFileInfo::exists(own)) << "starting makes no folder";
        core.reset();
        state = std::make_unique<ProgramState>();
    }
}

TEST_F(Startup, SocketFailuresAreToldAndTheProgramGoesOn) {
    struct Case {
        bool failCreate;
        bool failBind;
        const char* message;
    };
    for (const Case& c :
         {Case{true, false, "Creat Socket error"}, Case{false, true, "Bind socket error"}}) {
        prompts.boxes.clear();
        network.failCreate = c.failCreate;
        network.failBind = c.failBind;
        Start();
        EXPECT_EQ(BoxTexts(), QStringList(2, QString::fromLatin1(c.message))) << c.message;
        EXPECT_EQ(network.BoundTo(kTestBasePort), nullptr);
        core.reset();
    }
}

// A command from a script starts the definition file and the sockets only: it reads no
// monitor list and polls nothing, and it learns whether it can go on.
TEST_F(Startup, ACommandStartSaysWhetherItCanGoOnAndLeavesTheMonitorListAlone) {
    struct Case {
        const char* what;
        bool definition;
        bool failBind;
        ManagerCore::CommandStart start;
        const char* told; // how a box begins; empty: no box
    };
    const Case cases[] = {
        {"ready", true, false, ManagerCore::CommandStart::Ready, ""},
        {"no definition file", false, false, ManagerCore::CommandStart::NoDefinition,
         "It will cause the application fail"},
        {"a port in use", true, true, ManagerCore::CommandStart::SocketsUnusable,
         "Bind socket error"},
    };
    for (const Case& c : cases) {
        prompts.boxes.clear();
        network.failBind = c.failBind;
        QFile::remove(Folder() + QStringLiteral("/define.ecf"));
        if (c.definition) {
            WriteDefinition(EncodeDefinitionFile(kTestKey, kTestBasePort));
        }
        QFile list(Folder() + QStringLiteral("/monitor.cfg")); // a window would report it
        ASSERT_TRUE(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write("not a monitor list");
        list.close();

        EXPECT_EQ(BuildCore(ConfigFolders{Folder(), {}}, kApplicationName).StartForCommands(),
                  c.start)
            << c.what;
        const QStringList boxes = BoxTexts();
        if (QLatin1String(c.told).isEmpty()) {
            EXPECT_TRUE(boxes.isEmpty()) << c.what << ": " << boxes.join(u'|').toStdString();
        } else {
            EXPECT_TRUE(std::any_of(
                boxes.begin(), boxes.end(),
                [&](const QString& box) { return box.startsWith(QLatin1String(c.told)); }))
                << c.what << ": " << boxes.join(u'|').toStdString();
        }
        const std::size_t sent = network.sent.size();
        clock.Advance(5 * 60 * 1000);
        EXPECT_EQ(network.sent.size(), sent) << c.what << ": nothing polled";
        core.reset();
    }
}

TEST_F(Startup, ACommandThatTakesTrapsRestoresTheMonitorListAndStillPollsNothing) {
    WriteDefinition(EncodeDefinitionFile(kTestKey, kTestBasePort));
    DeviceRecord record = ZeroRecord();
    SetFieldText(record.IpText, "10.77.1.5");
    SetFieldText(record.MacText, "02000a4d0105");
    const std::vector<std::uint8_t> bytes = EncodeMonitorFile(std::span(&record, 1));
    QFile list(Folder() + QStringLiteral("/monitor.cfg"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    list.close();

    ManagerCore& started = BuildCore(ConfigFolders{Folder(), {}}, kApplicationName);
    EXPECT_EQ(started.StartForCommands(ManagerCore::MonitorListUse::Restore),
              ManagerCore::CommandStart::Ready);
    ASSERT_EQ(started.MonitorList().RowCount(), 1);
    EXPECT_EQ(FieldText(state->MonitorTable[0].IpText), "10.77.1.5");
    clock.Advance(5 * 60 * 1000);
    EXPECT_TRUE(network.sent.empty()) << "nothing polled";
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Startup, ShutdownClosesBothSockets) {
    Start();
    MemoryNetwork::Socket* broadcast = network.BoundTo(kTestBasePort);
    core->Shutdown();
    EXPECT_EQ(network.BoundTo(kTestBasePort), nullptr);
    EXPECT_EQ(network.BoundTo(kTestBasePort + 1), nullptr);
    EXPECT_TRUE(broadcast->Closed()); // still a valid object for a handler up the stack
}

} // namespace
} // namespace fenwick::testing
