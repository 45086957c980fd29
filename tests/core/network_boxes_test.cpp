// Boxes raised by datagrams: a box keeps the event loop running, so replies that arrive while it
// is open are handled inside it. One that would open a box already open opens none, and
// everything else it causes still happens.
#include "monitoring_fixture.h"

#include <functional>

namespace fenwick::testing {
namespace {

class NetworkBoxes : public MonitoringFixture {
protected:
    void SetUp() override {
        MonitoringFixture::SetUp();
        Start();
    }

    // Runs `meanwhile` under the first box only, as datagrams arriving while the operator
    // has not answered it yet.
    void UnderTheFirstBox(std::function<void()> meanwhile) {
        prompts.whileOpen = [meanwhile = std::move(meanwhile),
                             done = false](const RecordingPrompts::Box&) mutable {
            if (!done) {
                done = true;
                meanwhile();
            }
        };
    }

    // A set reply (code 4) carrying `errorCode` and the sequence the program expects next.
    AgentReply SetReply(int n, std::uint16_t errorCode) const {
        AgentReply agent = AgentReply::Numbered(n);
        agent.code = kCommandSetBroadcastReply;
        agent.status = errorCode;
        agent.sequence = state->Reply.SetSequence;
        return agent;
    }
};

TEST_F(NetworkBoxes, RepliesOfOneErrorUnderItsOpenBoxOpenNoOtherAndStillAdvanceTheSequence) {
    constexpr int kReplies = 10000;
    UnderTheFirstBox([&] {
        for (int i = 0; i < kReplies; ++i) {
            Receive(SetReply(1, 2));
        }
        Receive(AgentReply::Numbered(7)); // an ordinary answer is still stored
    });

    Receive(SetReply(1, 2));

    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Device return : password error")});
    EXPECT_EQ(state->Reply.SetSequence, kReplies + 1) << "every matching set reply advances it";
    EXPECT_EQ(DiscoveryMacs(), QStringList{MacOf(7)});
}

TEST_F(NetworkBoxes, EachDistinctTextOpensOneBoxNestedInTheOther) {
    const auto errorReply = [](int n, std::uint16_t errorCode) {
        AgentReply agent = AgentReply::Numbered(n);
        agent.status = errorCode;
        return agent;
    };
    int depth = 0;
    int deepest = 0;
    prompts.whileOpen = [&](const RecordingPrompts::Box&) {
        deepest = std::max(deepest, ++depth);
        if (depth == 1) {
            Receive(errorReply(2, 9)); // another text: a box inside the first
        } else {
            // Both boxes open: both kinds arrive in turn and open nothing more.
            for (int i = 0; i < 10000; ++i) {
                Receive(errorReply(1 + i % 2, i % 2 == 0 ? 2 : 9));
            }
        }
        --depth;
    };

    Receive(errorReply(1, 2));

    EXPECT_EQ(BoxTexts(), (QStringList{QStringLiteral("Device return : password error"),
                                       QStringLiteral("Device return : unknow error")}));
    EXPECT_EQ(deepest, 2);
    EXPECT_EQ(core->DiscoveryList().RowCount(), 0) << "error replies store nothing";
}

TEST_F(NetworkBoxes, ErrorTrapsFromAMonitoredDeviceOpenOneBox) {
    Monitor({AgentReply::Numbered(1)});
    AgentReply trapping = AgentReply::Numbered(1);
    trapping.status = 3;
    const Bytes trap = TrapDatagram(trapping, trapping.ip, "port 1 down");
    UnderTheFirstBox([&] {
        for (int i = 0; i < 1000; ++i) {
            ReceiveTrap(trap);
        }
    });

    ReceiveTrap(trap);

    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Device return : command Error")});
    EXPECT_EQ(state->TrapCount, 0) << "an error reply ends at its message";
    EXPECT_EQ(LogBytes(), "");
}

TEST_F(NetworkBoxes, ThreeHundredSwitchesGiveOneFullTableBox) {
    for (int n = 1; n <= 256; ++n) {
        Receive(AgentReply::Numbered(n));
    }
    AgentReply renamed = AgentReply::Numbered(5);
    renamed.systemName = "renamed";
    UnderTheFirstBox([&] {
        for (int n = 258; n <= 300; ++n) {
            Receive(AgentReply::Numbered(n));
        }
        Receive(renamed); // a known device still updates under the box
    });

    Receive(AgentReply::Numbered(257));

    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Add fail, out of 256 devices")});
    EXPECT_EQ(core->DiscoveryList().RowCount(), 256);
    EXPECT_EQ(FieldText(state->DiscoveryTable[4].SystemName), "renamed");

    prompts.boxes.clear();
    Receive(AgentReply::Numbered(299));
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Add fail, out of 256 devices")})
        << "once the box is closed, the next refusal is told again";
}

} // namespace
} // namespace fenwick::testing
