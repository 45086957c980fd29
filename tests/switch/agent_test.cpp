#include "codec/info_field.h"
#include "codec/pending_set.h"
#include "fenwick-switch/agent.h"
#include "fenwick-switch/trap_traffic.h"
#include "switch_fixtures.h"
#include "tftp_fixtures.h"

#include <functional>
#include <gtest/gtest.h>

namespace fenwick::sim {
namespace {

using namespace testing;

struct AnswerCase {
    const char* name;
    std::function<void(SwitchSettings&)> setUp;
    std::uint16_t requestCode;
    Reception reception;
    std::uint16_t replyCode;
    std::uint16_t status;
    bool withInformation;
};

// Discovery and polls: the answer, byte for byte, for the switch's states.
TEST(AgentAnswers, DiscoveryAndPollBytes) {
    const AnswerCase cases[] = {
        {"discovery", {}, kCommandDiscovery, Reception::Broadcast, 2, 0, true},
        {"poll", {}, kCommandPoll, Reception::Unicast, 2, 0, true},
        {"loader discovery", [](SwitchSettings& s) { s.loader = true; }, kCommandDiscovery,
         Reception::Broadcast, 12, 0, false},
        {"loader poll", [](SwitchSettings& s) { s.loader = true; }, kCommandPoll,
         Reception::Unicast, 12, 0, false},
        {"foreign version", [](SwitchSettings& s) { s.protocolVersion = 3; }, kCommandDiscovery,
         Reception::Broadcast, 2, 0, true},
        {"interface version 0", [](SwitchSettings& s) { s.interfaceVersion = 0; },
         kCommandDiscovery, Reception::Broadcast, 2, 0, true},
        {"error code 9", [](SwitchSettings& s) { s.errorCode = 9; }, kCommandPoll,
         Reception::Unicast, 2, 9, true},
        {"empty texts",
         [](SwitchSettings& s) {
             s.product.clear();
             s.systemName.clear();
             s.location.clear();
         },
         kCommandDiscovery, Reception::Broadcast, 2, 0, true},
    };
    for (const AnswerCase& c : cases) {
        SwitchSettings sw = LabSwitch();
        if (c.setUp) {
            c.setUp(sw);
        }
        Agent agent(sw, kKey);
        const AgentAnswer answer = agent.Handle(Request(c.requestCode), c.reception);
        const Bytes expected = Datagram(ReplyHeader(sw, c.replyCode, 0, c.status),
                                        c.withInformation ? InformationBody(sw) : Bytes{});
        EXPECT_EQ(answer.reply, expected) << c.name;
        EXPECT_EQ(answer.event, AgentEvent::None) << c.name;
        EXPECT_EQ(agent.Settings(), sw) << c.name;
    }
}

TEST(AgentAnswers, NothingForRequestsThatAreNotForThisSwitch) {
    struct Case {
        const char* name;
        std::function<void(SwitchSettings&)> setUp;
        Bytes request;
        Reception reception;
    };
    Bytes setBody;
    AppendText(setBody, 9, "admin");
    AppendText(setBody, 2, "renamed");
    const Bytes discovery = Request(kCommandDiscovery);
    const Case cases[] = {
        {"wrong agent key",
         {},
         Request(kCommandDiscovery, {}, {}, 0, kKey ^ 1),
         Reception::Broadcast},
        {"direction 1", {}, Request(kCommandDiscovery, {}, {}, 0, kKey, 1), Reception::Broadcast},
        {"silent", [](SwitchSettings& s) { s.silent = true; }, Request(kCommandPoll),
         Reception::Unicast},
        {"shorter than a header",
         {},
         Bytes(discovery.begin(), discovery.end() - 1),
         Reception::Broadcast},
        {"unknown code", {}, Request(6), Reception::Unicast},
        {"a reply code", {}, Request(kCommandDeviceInfo), Reception::Unicast},
        {"broadcast set for another MAC",
         {},
         Request(kCommandSetBroadcast, setBody, kOtherMac, 7),
         Reception::Broadcast},
        {"unicast set heard by broadcast",
         {},
         Request(kCommandSetUnicast, setBody, kMac, 7),
         Reception::Broadcast},
        {"trigger for another MAC",
         {},
         Request(kCommandUpgradeTrigger, setBody, kOtherMac, 7),
         Reception::Unicast},
        {"unicast set while silent to sets", [](SwitchSettings& s) { s.silentToSets = true; },
         Request(kCommandSetUnicast, setBody, kMac, 7), Reception::Unicast},
        {"broadcast set while silent to sets", [](SwitchSettings& s) { s.silentToSets = true; },
         Request(kCommandSetBroadcast, setBody, kMac, 7), Reception::Broadcast},
    };
    for (const Case& c : cases) {
        SwitchSettings sw = LabSwitch();
        if (c.setUp) {
            c.setUp(sw);
        }
        Agent agent(sw, kKey);
        const AgentAnswer answer = agent.Handle(c.request, c.reception);
        EXPECT_TRUE(answer.reply.empty()) << c.name;
        EXPECT_EQ(answer.event, AgentEvent::None) << c.name;
        EXPECT_EQ(agent.Settings(), sw) << c.name;
    }
}

// The manager's own set body builder makes the requests, so both ends agree on the layout.
Bytes SetBody(const SwitchSettings& wanted, std::string_view password,
              std::string_view newPassword = {}) {
    DeviceRecord record = RecordOf(wanted);
    SetFieldText(record.Password, password);
    SetFieldText(record.NewPassword, newPassword);
    PendingSet pending;
    Bytes body(kMaxSetBodyLength);
    body.resize(BuildSetBody(record, body, pending).size());
    return body;
}

SwitchSettings Reconfigured(std::uint32_t ip) {
    SwitchSettings wanted = LabSwitch();
    wanted.product = "ES-8 Managed";
    wanted.systemName = "edge-7";
    wanted.location = "hall B";
    wanted.ip = ip;
    wanted.subnetMask = Ip("255.255.255.0");
    wanted.gateway = Ip("10.77.1.254");
    wanted.trapReceiver = Ip("10.77.1.100");
    return wanted;
}

TEST(AgentSets, AppliesTheSetAndEchoesTheSequence) {
    struct Case {
        std::uint16_t code;
        Reception reception;
        std::uint16_t replyCode;
        std::uint32_t newIp;
        AgentEvent event;
    };
    const Case cases[] = {
        {kCommandSetBroadcast, Reception::Broadcast, 4, Ip("10.77.1.5"), AgentEvent::None},
        {kCommandSetBroadcast, Reception::Broadcast, 4, Ip("10.77.1.77"),
         AgentEvent::AddressChanged},
        {kCommandSetUnicast, Reception::Unicast, 8, Ip("10.77.1.5"), AgentEvent::None},
        {kCommandSetUnicast, Reception::Unicast, 8, Ip("10.77.1.78"), AgentEvent::AddressChanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "code " << c.code << " to " << c.newIp);
        Agent agent(LabSwitch(), kKey);
        const SwitchSettings wanted = Reconfigured(c.newIp);
        const AgentAnswer answer =
            agent.Handle(Request(c.code, SetBody(wanted, "admin"), kMac, 0xBEEF), c.reception);
        EXPECT_EQ(answer.reply,
                  Datagram(ReplyHeader(wanted, c.replyCode, 0xBEEF), InformationBody(wanted)));
        EXPECT_EQ(answer.event, c.event);
        EXPECT_EQ(agent.Settings(), wanted);
    }
}

TEST(AgentSets, NewPasswordReplacesTheOldOne) {
    Agent agent(LabSwitch(), kKey);
    const SwitchSettings same = LabSwitch();
    ASSERT_EQ(DecodeHeader(agent
                               .Handle(Request(kCommandSetUnicast,
                                               SetBody(same, "admin", "s3cret-2"), kMac, 1),
                                       Reception::Unicast)
                               .reply)
                  .Status,
              0);
    EXPECT_EQ(agent.Settings().password, "s3cret-2");
    // The old password no longer opens the switch; the new one does.
    const auto status = [&](std::string_view password) {
        return DecodeHeader(
                   agent
                       .Handle(Request(kCommandSetUnicast, SetBody(same, password), kMac, 2),
                               Reception::Unicast)
                       .reply)
            .Status;
    };
    EXPECT_EQ(status("admin"), kErrorPassword);
    EXPECT_EQ(status("s3cret-2"), 0);
}

TEST(AgentSets, RefusedSetsReportTheirErrorAndChangeNothing) {
    struct Case {
        const char* name;
        std::function<void(SwitchSettings&)> setUp;
        Bytes body;
        std::uint16_t status;
    };
    const SwitchSettings wanted = Reconfigured(Ip("10.77.1.90"));
    Bytes withoutPassword;
    AppendText(withoutPassword, 2, "renamed");
    SwitchSettings hostPartAllOnes = wanted;
    hostPartAllOnes.ip = Ip("10.77.1.255");
    SwitchSettings gatewayElsewhere = wanted;
    gatewayElsewhere.gateway = Ip("10.78.0.1");
    SwitchSettings classD = wanted;
    classD.ip = Ip("224.0.0.5");
    // The manager's record cannot hold a new password this long, so it is appended by hand.
    Bytes longNewPassword = SetBody(wanted, "admin");
    AppendText(longNewPassword, 8, std::string(21, 'p'));
    const Case cases[] = {
        {"wrong password", {}, SetBody(wanted, "Admin"), kErrorPassword},
        {"password prefix", {}, SetBody(wanted, "adm"), kErrorPassword},
        {"no password element", {}, withoutPassword, kErrorPassword},
        {"injected error", [](SwitchSettings& s) { s.errorCode = 4; }, SetBody(wanted, "admin"), 4},
        {"boot loader", [](SwitchSettings& s) { s.loader = true; }, SetBody(wanted, "admin"), 3},
        {"host part all ones", {}, SetBody(hostPartAllOnes, "admin"), kErrorParameters},
        {"gateway in another subnet", {}, SetBody(gatewayElsewhere, "admin"), kErrorParameters},
        {"multicast address", {}, SetBody(classD, "admin"), kErrorParameters},
        {"new password of 21 characters", {}, longNewPassword, kErrorParameters},
    };
    for (const Case& c : cases) {
        for (const auto& [code, replyCode, reception] :
             {std::tuple{kCommandSetBroadcast, 4, Reception::Broadcast},
              std::tuple{kCommandSetUnicast, 8, Reception::Unicast}}) {
            SCOPED_TRACE(::testing::Message() << c.name << ", code " << code);
            SwitchSettings sw = LabSwitch();
            if (c.setUp) {
                c.setUp(sw);
            }
            Agent agent(sw, kKey);
            const AgentAnswer answer = agent.Handle(Request(code, c.body, kMac, 41), reception);
            EXPECT_EQ(answer.reply,
                      Datagram(ReplyHeader(sw, static_cast<std::uint16_t>(replyCode), 41, c.status),
                               InformationBody(sw)));
            EXPECT_EQ(answer.event, AgentEvent::None);
            EXPECT_EQ(agent.Settings(), sw);
        }
    }
}

TEST(AgentTrigger, AcknowledgesWithTheSequenceWhenThePasswordIsRight) {
    struct Case {
        const char* name;
        std::function<void(SwitchSettings&)> setUp;
        std::string password;
        std::uint16_t status;
        AgentEvent event;
    };
    const Case cases[] = {
        {"right password", {}, "admin", 0, AgentEvent::UpgradeTriggered},
        {"boot loader", [](SwitchSettings& s) { s.loader = true; }, "admin", 0,
         AgentEvent::UpgradeTriggered},
        {"wrong password", {}, "admin2", kErrorPassword, AgentEvent::None},
        {"injected error", [](SwitchSettings& s) { s.errorCode = 3; }, "admin", 3,
         AgentEvent::None},
    };
    for (const Case& c : cases) {
        for (const Reception reception : {Reception::Broadcast, Reception::Unicast}) {
            SCOPED_TRACE(c.name);
            SwitchSettings sw = LabSwitch();
            if (c.setUp) {
                c.setUp(sw);
            }
            Agent agent(sw, kKey);
            Bytes body;
            AppendText(body, 9, c.password);
            const AgentAnswer answer =
                agent.Handle(Request(kCommandUpgradeTrigger, body, kMac, 0x0102), reception);
            EXPECT_EQ(answer.reply,
                      Datagram(ReplyHeader(sw, 11, 0x0102, c.status), InformationBody(sw)));
            EXPECT_EQ(answer.event, c.event);
        }
    }
}

// After the final acknowledgement the switch restarts: it answers nothing and sends no traps
// for its restart delay, then answers discovery again. A trigger before the transfer is noted.
TEST(AgentUpgrade, RestartsSilentlyForItsDelayAfterAnImage) {
    for (const std::uint32_t delay : {0u, 5u, 60u}) {
        SCOPED_TRACE(delay);
        SwitchSettings sw = LabSwitch();
        sw.restartSeconds = delay;
        Agent agent(sw, kKey);
        Bytes password;
        AppendText(password, 9, "admin");
        ASSERT_EQ(
            agent.Handle(Request(kCommandUpgradeTrigger, password, kMac, 3), Reception::Unicast)
                .event,
            AgentEvent::UpgradeTriggered);
        const auto finished = kStart + std::chrono::seconds(2);
        const Upload upload =
            RunUpload([&](const Bytes& packet,
                          TftpPort to) { return agent.HandleTftp(From(packet, to), finished); },
                      Image(3000), ClientStyle::AllToPort69);
        ASSERT_TRUE(upload.acknowledged);
        EXPECT_TRUE(agent.Tftp().Image()->afterTrigger);

        const auto back = finished + std::chrono::seconds(delay);
        EXPECT_TRUE(agent.Settings().restarting);
        EXPECT_EQ(agent.RestartEnds(), back);
        EXPECT_TRUE(agent.Handle(Request(kCommandDiscovery), Reception::Broadcast).reply.empty());
        EXPECT_FALSE(TrapRefusal(agent.Settings()).empty());
        if (delay > 0) {
            EXPECT_FALSE(agent.FinishRestart(back - std::chrono::milliseconds(1)));
            EXPECT_TRUE(agent.Settings().restarting);
        }
        EXPECT_TRUE(agent.FinishRestart(back));
        EXPECT_FALSE(agent.FinishRestart(back)) << "once";
        EXPECT_FALSE(agent.Settings().restarting);
        EXPECT_FALSE(agent.RestartEnds());
        EXPECT_EQ(agent.Handle(Request(kCommandDiscovery), Reception::Broadcast).reply,
                  Datagram(ReplyHeader(sw, kCommandDeviceInfo), InformationBody(sw)));
        EXPECT_TRUE(TrapRefusal(agent.Settings()).empty());
    }
}

TEST(AgentUpgrade, ASwitchUpgradedFromItsBootLoaderComesBackOutOfIt) {
    SwitchSettings sw = LabSwitch();
    sw.loader = true;
    Agent agent(sw, kKey);
    ASSERT_EQ(DecodeHeader(agent.Handle(Request(kCommandDiscovery), Reception::Broadcast).reply)
                  .CommandCode,
              kCommandLoaderMode);
    ASSERT_TRUE(RunUpload([&](const Bytes& packet,
                              TftpPort to) { return agent.HandleTftp(From(packet, to), kStart); },
                          Image(100), ClientStyle::AllToPort69)
                    .acknowledged);
    EXPECT_TRUE(agent.Settings().loader) << "until the restart is over";
    ASSERT_TRUE(agent.FinishRestart(kStart + std::chrono::seconds(sw.restartSeconds)));
    sw.loader = false;
    EXPECT_EQ(agent.Settings(), sw);
    EXPECT_EQ(agent.Handle(Request(kCommandDiscovery), Reception::Broadcast).reply,
              Datagram(ReplyHeader(sw, kCommandDeviceInfo), InformationBody(sw)));
}

TEST(AgentUpgrade, NoRestartWithoutACompleteImage) {
    Agent agent(LabSwitch(), kKey);
    agent.HandleTftp(From(WriteRequest()), kStart);
    agent.HandleTftp(From(DataBlock(1, Image(600))), kStart);
    EXPECT_FALSE(agent.Settings().restarting);
    EXPECT_FALSE(agent.RestartEnds());
    EXPECT_FALSE(agent.Handle(Request(kCommandDiscovery), Reception::Broadcast).reply.empty());
}

TEST(AgentTrap, CarriesTheAddressAndTheTextWithItsTerminatorAndTheErrorCode) {
    for (const std::uint8_t errorCode : {0, 9}) {
        SwitchSettings sw = LabSwitch();
        sw.protocolVersion = 3;
        sw.errorCode = errorCode;
        const Agent agent(sw, kKey);
        Bytes body = {10, 77, 1, 5};
        const std::string text = "Port 3 link down";
        body.insert(body.end(), text.begin(), text.end());
        body.push_back(0);
        EXPECT_EQ(agent.BuildTrap(text), Datagram(ReplyHeader(sw, 9, 0, errorCode), body));
    }
}

TEST(AgentTrap, ALongTextIsCutToFitTheManagersBuffer) {
    const Agent agent(LabSwitch(), kKey);
    const std::string text(2000, 'x');
    const Bytes trap = agent.BuildTrap(text);
    ASSERT_EQ(trap.size(), kMaxDatagramLength);
    EXPECT_EQ(trap.back(), 0);
    EXPECT_EQ(trap[trap.size() - 2], 'x');
    EXPECT_EQ(trap[kHeaderLength + 4], 'x');
}

} // namespace
} // namespace fenwick::sim
