#include "codec/reply_checks.h"
#include "record_builders.h"
#include "test_addresses.h"

#include <gtest/gtest.h>

namespace fenwick {
namespace {

using testing::Bytes;
using testing::Datagram;
using testing::Ip;

constexpr std::uint32_t kKey = 0x1A2B3C4D;
constexpr const char* kTargetMac = "000a5b00aaaa";

PacketHeader Reply(std::uint16_t code, std::uint16_t sequence = 0, std::uint16_t status = 0) {
    PacketHeader header;
    header.ProtocolVersion = 2;
    header.Direction = 1;
    header.Mac = {0x00, 0x0A, 0x5B, 0x00, 0x00, 0x01};
    header.InterfaceVersion = 1;
    header.CommandCode = code;
    header.Status = status;
    header.AgentKey = kKey;
    header.Sequence = sequence;
    return header;
}

PacketHeader FromTarget(PacketHeader header) {
    header.Mac = {0x00, 0x0A, 0x5B, 0x00, 0xAA, 0xAA};
    return header;
}

struct Outcome {
    ReplyVerdict verdict;
    ReplyContext context;
    DeviceRecord record;
};

Outcome Check(const Bytes& datagram, ReplyContext context = {}) {
    if (context.AgentKey == 0) {
        context.AgentKey = kKey;
    }
    Outcome outcome{{}, context, ZeroRecord()};
    outcome.verdict = CheckReplyHeader(datagram, Ip("10.0.0.9"), outcome.context, outcome.record);
    return outcome;
}

ReplyContext WithSequence(std::uint16_t sequence) {
    ReplyContext context;
    context.SetSequence = sequence;
    SetFieldText(context.UpgradeTargetMac, kTargetMac);
    SetFieldText(context.ConfirmationTargetMac, kTargetMac);
    return context;
}

TEST(ReplyChecks, RoutesEachKindOfDatagram) {
    struct Case {
        const char* what;
        Bytes datagram;
        std::uint16_t sequenceBefore;
        ReplyRoute route;
        std::uint16_t sequenceAfter;
        int errorCode;
    };
    PacketHeader wrongKey = Reply(2);
    wrongKey.AgentKey = kKey + 1;
    PacketHeader wrongDirection = Reply(2);
    wrongDirection.Direction = 0;
    PacketHeader version3 = Reply(9, 0, 0x0003);
    version3.ProtocolVersion = 3;
    PacketHeader upperStatusBits = Reply(2, 0, 0xFFF0);

    const Case cases[] = {
        {"discovery reply", Datagram(Reply(2)), 5, ReplyRoute::StoreReply, 5, 0},
        {"poll answer with any code", Datagram(Reply(6)), 5, ReplyRoute::StoreReply, 5, 0},
        {"wrong key", Datagram(wrongKey), 5, ReplyRoute::Drop, 5, 0},
        {"wrong direction", Datagram(wrongDirection), 5, ReplyRoute::Drop, 5, 0},
        {"version 3, even a trap with an error code", Datagram(version3), 5,
         ReplyRoute::VersionMismatch, 5, 3},
        {"loader mode", Datagram(Reply(12)), 5, ReplyRoute::LoaderMode, 5, 0},
        {"set reply with the current sequence", Datagram(Reply(4, 5)), 5, ReplyRoute::StoreReply, 6,
         0},
        {"set reply with a stale sequence", Datagram(Reply(4, 4)), 5, ReplyRoute::Drop, 5, 0},
        {"set reply with password error", Datagram(Reply(4, 5, 2)), 5, ReplyRoute::ShowError, 6, 2},
        {"unicast set reply ignores the sequence", Datagram(Reply(8, 99)), 5,
         ReplyRoute::StoreReply, 5, 0},
        {"sequence wraps", Datagram(Reply(4, 0xFFFF)), 0xFFFF, ReplyRoute::StoreReply, 0, 0},
        {"trigger reply from another device", Datagram(Reply(11, 5)), 5, ReplyRoute::StoreReply, 6,
         0},
        {"trigger reply from the target", Datagram(FromTarget(Reply(11, 5))), 5,
         ReplyRoute::TriggerAcknowledged, 6, 0},
        {"stale trigger reply from the target", Datagram(FromTarget(Reply(11, 3))), 5,
         ReplyRoute::Drop, 5, 0},
        {"trap", Datagram(Reply(9)), 5, ReplyRoute::Trap, 5, 0},
        {"upper status bits are ignored", Datagram(upperStatusBits), 5, ReplyRoute::StoreReply, 5,
         0},
    };
    for (const Case& c : cases) {
        const Outcome outcome = Check(c.datagram, WithSequence(c.sequenceBefore));
        EXPECT_EQ(outcome.verdict.route, c.route) << c.what;
        EXPECT_EQ(outcome.context.SetSequence, c.sequenceAfter) << c.what;
        EXPECT_EQ(outcome.verdict.errorCode, c.errorCode) << c.what;
    }
}

TEST(ReplyChecks, EveryErrorCodeShowsItsMessage) {
    const char* messages[16] = {};
    messages[1] = "Device return : protocol version Error";
    messages[2] = "Device return : password error";
    messages[3] = "Device return : command Error";
    messages[4] = "Device return : parameters Error";
    for (int code = 1; code <= 15; ++code) {
        const Outcome outcome = Check(Datagram(Reply(2, 0, static_cast<std::uint16_t>(code))));
        EXPECT_EQ(outcome.verdict.route, ReplyRoute::ShowError) << code;
        EXPECT_EQ(outcome.verdict.errorCode, code);
        EXPECT_EQ(ReplyErrorMessage(code),
                  messages[code] ? messages[code] : "Device return : unknow error")
            << code;
        EXPECT_EQ(outcome.record.LastCommand, 0) << "an error reply stores nothing";
    }
}

TEST(ReplyChecks, ASecondCopyOfASetReplyIsDropped) {
    ReplyContext context = WithSequence(41);
    context.AgentKey = kKey;
    DeviceRecord record = ZeroRecord();
    const Bytes reply = Datagram(Reply(4, 41));
    EXPECT_EQ(CheckReplyHeader(reply, 1, context, record).route, ReplyRoute::StoreReply);
    EXPECT_EQ(CheckReplyHeader(reply, 1, context, record).route, ReplyRoute::Drop);
    EXPECT_EQ(context.SetSequence, 42);
}

TEST(ReplyChecks, FillsTheRecordAsFarAsTheChecksGo) {
    const Bytes datagram = Datagram(Reply(2), {0xDE, 0xAD});
    const Outcome stored = Check(datagram); // its body points into `datagram`
    EXPECT_EQ(FieldText(stored.record.MacText), "000a5b000001");
    EXPECT_EQ(FieldText(stored.record.IpText), "10.0.0.9");
    EXPECT_EQ(stored.record.IpAddress, Ip("10.0.0.9"));
    EXPECT_EQ(stored.record.ProtocolVersion, 2);
    EXPECT_EQ(stored.record.InterfaceVersion, 1);
    EXPECT_EQ(stored.record.Direction, 1);
    EXPECT_EQ(stored.record.LastCommand, 2);
    ASSERT_EQ(stored.verdict.body.size(), 2u);
    EXPECT_EQ(stored.verdict.body[0], 0xDE);

    PacketHeader wrongKey = Reply(2);
    wrongKey.AgentKey = 7;
    const Outcome dropped = Check(Datagram(wrongKey));
    EXPECT_EQ(FieldText(dropped.record.MacText), "000a5b000001"); // taken before the key check
    EXPECT_EQ(dropped.record.ProtocolVersion, 0);
    EXPECT_EQ(FieldText(dropped.record.IpText), "");
}

TEST(ReplyChecks, UpgradeFlags) {
    const Outcome confirmed = Check(Datagram(FromTarget(Reply(2))), WithSequence(0));
    EXPECT_EQ(confirmed.verdict.route, ReplyRoute::StoreReply); // also stored as a discovery reply
    EXPECT_EQ(confirmed.context.UpgradeConfirmed, 1);
    EXPECT_EQ(confirmed.context.TriggerAcknowledged, 0);

    const Outcome acknowledged = Check(Datagram(FromTarget(Reply(11, 0))), WithSequence(0));
    EXPECT_EQ(acknowledged.context.TriggerAcknowledged, 1);
    EXPECT_EQ(acknowledged.context.UpgradeConfirmed, 0);

    const Outcome failed = Check(Datagram(FromTarget(Reply(11, 0, 2))), WithSequence(0));
    EXPECT_EQ(failed.verdict.route, ReplyRoute::ShowError);
    EXPECT_EQ(failed.context.TriggerAcknowledged, 0);

    const Outcome other = Check(Datagram(Reply(2)), WithSequence(0));
    EXPECT_EQ(other.context.UpgradeConfirmed, 0);
    const Outcome noUpgrade = Check(Datagram(FromTarget(Reply(2))));
    EXPECT_EQ(noUpgrade.context.UpgradeConfirmed, 0);

    // A later launch names another target; the confirmation keeps the device it confirms.
    ReplyContext relaunched = WithSequence(0);
    SetFieldText(relaunched.UpgradeTargetMac, "000a5b0000ff");
    EXPECT_EQ(Check(Datagram(FromTarget(Reply(2))), relaunched).context.UpgradeConfirmed, 1);
    ReplyContext nothingToConfirm = WithSequence(0);
    SetFieldText(nothingToConfirm.ConfirmationTargetMac, "");
    EXPECT_EQ(Check(Datagram(FromTarget(Reply(2))), nothingToConfirm).context.UpgradeConfirmed, 0);
}

TEST(ReplyChecks, ShortDatagramsReadAsZeroPadded) {
    const Bytes full = Datagram(Reply(2));
    // Ends before the key: accepted only while the program's key is 0.
    const Bytes beforeKey(full.begin(), full.begin() + 16);
    ReplyContext zeroKey;
    DeviceRecord record = ZeroRecord();
    EXPECT_EQ(CheckReplyHeader(beforeKey, 1, zeroKey, record).route, ReplyRoute::StoreReply);
    EXPECT_EQ(Check(beforeKey).verdict.route, ReplyRoute::Drop);
    // Ends before the direction: always dropped.
    for (std::size_t length : {0u, 1u, 2u, 3u}) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
        ReplyContext context;
        record = ZeroRecord();
        EXPECT_EQ(CheckReplyHeader(cut, 1, context, record).route, ReplyRoute::Drop) << length;
    }
    // A datagram of exactly the header has an empty body.
    EXPECT_TRUE(Check(full).verdict.body.empty());
}

TEST(ReplyChecks, LargestDatagramKeepsItsWholeBody) {
    const Bytes largest = Datagram(Reply(2), Bytes(kMaxBodyLength, 0x41)); // outlives the body
    ASSERT_EQ(largest.size(), 1500u);
    EXPECT_EQ(Check(largest).verdict.body.size(), 1460u);
}

} // namespace
} // namespace fenwick
