#include "core_fixture.h"

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
                                       QStringLiteral("It will cause the application fail\n ")}));
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
