#include "fenwick-switch/packet_loss.h"
#include "tftp_fixtures.h"

#include <functional>
#include <gtest/gtest.h>

namespace fenwick::sim {
namespace {

using namespace testing;

const Bytes kAck0 = EncodeTftpAck(0);

TEST(TftpServer, TakesAWriteRequestInOctetModeOnly) {
    struct Case {
        Bytes request;
        std::vector<TftpOutgoing> expected;
    };
    const TftpOutgoing modeRefused =
        ToManager(EncodeTftpError(kTftpErrorIllegalOperation, "Only octet mode is served"));
    const Case cases[] = {
        {WriteRequest("C:\\fw\\image.hex", "octet"), {ToManager(kAck0)}},
        {WriteRequest("image.hex", "OcTeT"), {ToManager(kAck0)}},
        {WriteRequest("image.hex", "netascii"), {modeRefused}},
        {WriteRequest("image.hex", "mail"), {modeRefused}},
        {WriteRequest("image.hex", "octets"), {modeRefused}},
        {WriteRequest("image.hex", ""), {modeRefused}},
        {EncodeTftpRequest(TftpOpcode::ReadRequest, "image.hex", "octet"),
         {ToManager(
             EncodeTftpError(kTftpErrorIllegalOperation, "Only write requests are served"))}},
        {Bytes{0, 2, 'a', 0, 'o', 'c', 't', 'e', 't'},
         {ToManager(EncodeTftpError(kTftpErrorIllegalOperation, "Malformed request"))}},
        // Acknowledgements and unknown opcodes draw nothing.
        {EncodeTftpAck(1), {}},
        {Bytes{0, 9, 0, 0}, {}},
        {Bytes{0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.request));
        TftpServer server;
        const TftpResult result = server.Handle(From(c.request), LabSwitch(), kStart);
        EXPECT_EQ(result.packets, c.expected);
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(server.StateText(), c.expected == std::vector{ToManager(kAck0)}
                                          ? "receiving 0 bytes from 10.77.0.1:64517"
                                          : "idle");
    }
}

// Every image size that matters for the final block: empty, short, one byte short of a block,
// exact multiples (then an empty final block) and in between.
TEST(TftpServer, StoresTheBlocksInOrderUntilTheShortFinalBlock) {
    for (const std::size_t size : {0u, 1u, 511u, 512u, 1000u, 1024u, 1539u, 4096u}) {
        SCOPED_TRACE(size);
        TftpServer server;
        const Bytes image = Image(size);
        const Upload upload = RunUpload(server, LabSwitch(), image);
        ASSERT_TRUE(upload.acknowledged);
        EXPECT_TRUE(upload.completed);
        const std::size_t blocks = size / kTftpBlockSize + 1;
        // Lock-step: one acknowledgement per packet, no retransmission needed.
        ASSERT_EQ(upload.answers.size(), blocks + 1);
        EXPECT_EQ(upload.sends, blocks + 1);
        for (std::size_t i = 0; i < upload.answers.size(); ++i) {
            EXPECT_EQ(upload.answers[i], ToManager(EncodeTftpAck(static_cast<std::uint16_t>(i))));
        }
        ASSERT_TRUE(server.Image());
        EXPECT_EQ(server.Image()->bytes, image);
        EXPECT_EQ(server.Image()->fileName, "C:\\fw\\image.hex");
        EXPECT_EQ(server.Image()->client, kManagerIp);
        EXPECT_EQ(server.Image()->clientPort, kManagerTftpPort);
        EXPECT_EQ(server.Counts(), (TftpCounts{blocks + 1, 0, blocks + 1, 0, 0}));
    }
}

TEST(TftpServer, OnlyTheFinalBlockCompletesTheImage) {
    TftpServer server;
    const Bytes image = Image(1024);
    ASSERT_EQ(server.Handle(From(WriteRequest()), LabSwitch(), kStart).packets.size(), 1u);
    for (const std::uint16_t block : {1, 2}) {
        const TftpResult result = server.Handle(From(DataBlock(block, image)), LabSwitch(), kStart);
        EXPECT_FALSE(result.completed) << block;
        EXPECT_FALSE(server.Image()) << block;
    }
    EXPECT_EQ(server.StateText(), "receiving 1024 bytes from 10.77.0.1:64517");
    const auto finished = kStart + std::chrono::milliseconds(2500);
    const TftpResult last = server.Handle(From(DataBlock(3, image)), LabSwitch(), finished);
    EXPECT_TRUE(last.completed);
    EXPECT_EQ(last.packets, std::vector{ToManager(EncodeTftpAck(3))});
    ASSERT_TRUE(server.Image());
    EXPECT_EQ(server.Image()->bytes, image);
    EXPECT_EQ(server.Image()->elapsed, std::chrono::milliseconds(2500));
}

TEST(TftpServer, RepeatsAreAcknowledgedAgainAndNeverStoredTwice) {
    struct Case {
        const char* name;
        std::vector<Bytes> sent;                 // after the write request
        std::vector<std::vector<Bytes>> answers; // to each of `sent`
        std::uint64_t duplicates;
    };
    const Bytes image = Image(700);
    const Case cases[] = {
        {"data block twice",
         {DataBlock(1, image), DataBlock(1, image), DataBlock(2, image)},
         {{EncodeTftpAck(1)}, {EncodeTftpAck(1)}, {EncodeTftpAck(2)}},
         1},
        {"write request twice",
         {WriteRequest(), DataBlock(1, image), DataBlock(2, image)},
         {{kAck0}, {EncodeTftpAck(1)}, {EncodeTftpAck(2)}},
         1},
        // A block that is neither the next nor a repeat is not answered.
        {"block out of order",
         {DataBlock(2, image), DataBlock(1, image), DataBlock(3, image), DataBlock(2, image)},
         {{}, {EncodeTftpAck(1)}, {}, {EncodeTftpAck(2)}},
         0},
        {"block 0 before any data",
         {EncodeTftpData(0, {}), DataBlock(1, image), DataBlock(2, image)},
         {{kAck0}, {EncodeTftpAck(1)}, {EncodeTftpAck(2)}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TftpServer server;
        server.Handle(From(WriteRequest()), LabSwitch(), kStart);
        for (std::size_t i = 0; i < c.sent.size(); ++i) {
            std::vector<TftpOutgoing> expected;
            for (const Bytes& answer : c.answers[i]) {
                expected.push_back(ToManager(answer));
            }
            EXPECT_EQ(server.Handle(From(c.sent[i]), LabSwitch(), kStart).packets, expected) << i;
        }
        ASSERT_TRUE(server.Image());
        EXPECT_EQ(server.Image()->bytes, image);
        EXPECT_EQ(server.Counts().duplicates, c.duplicates);
    }
}

TEST(TftpServer, AnswersFromThePortAskedForAndTakesDataOnEither) {
    struct Case {
        TftpAnswerPort answerPort;
        ClientStyle client;
        TftpPort answersFrom;
    };
    const Case cases[] = {
        {TftpAnswerPort::Server, ClientStyle::AllToPort69, TftpPort::Server},
        {TftpAnswerPort::Server, ClientStyle::FollowAnswerPort, TftpPort::Server},
        // The manager keeps sending to 69; an RFC client moves to the transfer port.
        {TftpAnswerPort::Other, ClientStyle::AllToPort69, TftpPort::Transfer},
        {TftpAnswerPort::Other, ClientStyle::FollowAnswerPort, TftpPort::Transfer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answerPort) * 2 + static_cast<int>(c.client));
        SwitchSettings sw = LabSwitch();
        sw.tftpPort = c.answerPort;
        TftpServer server;
        std::vector<TftpPort> arrivals;
        const Bytes image = Image(1200);
        const Upload upload = RunUpload(
            [&](const Bytes& packet, TftpPort to) {
                arrivals.push_back(to);
                return server.Handle(From(packet, to), sw, kStart);
            },
            image, c.client);
        ASSERT_TRUE(upload.acknowledged);
        ASSERT_TRUE(server.Image());
        EXPECT_EQ(server.Image()->bytes, image);
        for (const TftpOutgoing& answer : upload.answers) {
            EXPECT_EQ(answer.from, c.answersFrom);
        }
        const bool moved = c.client == ClientStyle::FollowAnswerPort;
        EXPECT_EQ(arrivals.back(), moved ? c.answersFrom : TftpPort::Server);
    }
}

TEST(TftpServer, AWriteRequestOnTheTransferPortIsAStray) {
    SwitchSettings sw = LabSwitch();
    sw.tftpPort = TftpAnswerPort::Other;
    TftpServer server;
    EXPECT_TRUE(
        server.Handle(From(WriteRequest(), TftpPort::Transfer), sw, kStart).packets.empty());
    EXPECT_EQ(server.StateText(), "idle");
}

TEST(TftpServer, AnErrorModeRefusesEveryWriteRequestWithItsPacket) {
    struct Case {
        TftpAnswerPort answerPort;
        std::string text;
    };
    // The long text passes what a manager keeps of it (45 characters) by far.
    const Case cases[] = {
        {TftpAnswerPort::Server, "Flash write error"},
        {TftpAnswerPort::Other, std::string(600, 'E')},
        {TftpAnswerPort::Server, ""},
    };
    for (const Case& c : cases) {
        SwitchSettings sw = LabSwitch();
        sw.tftpPort = c.answerPort;
        sw.tftpError = TftpErrorAnswer{3, c.text};
        TftpServer server;
        const TftpOutgoing refusal = ToManager(
            EncodeTftpError(3, c.text),
            c.answerPort == TftpAnswerPort::Other ? TftpPort::Transfer : TftpPort::Server);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const TftpResult result = server.Handle(From(WriteRequest()), sw, kStart);
            EXPECT_EQ(result.packets, std::vector{refusal});
            EXPECT_EQ(result.notes.size(), 1u);
        }
        // No transfer was opened, so data has nothing to join.
        EXPECT_TRUE(server.Handle(From(DataBlock(1, Bytes{})), sw, kStart).packets.empty());
        EXPECT_FALSE(server.Image());
        // Once the error is taken away, the same request is accepted.
        sw.tftpError.reset();
        EXPECT_EQ(server.Handle(From(WriteRequest()), sw, kStart).packets.size(), 1u);
        EXPECT_EQ(server.StateText(), "receiving 0 bytes from 10.77.0.1:64517");
    }
}

TEST(TftpServer, StrangersAndBrokenClientsDoNotCorruptTheImage) {
    const Bytes image = Image(600);
    const std::uint32_t stranger = Ip("10.77.0.9");
    struct Case {
        const char* name;
        std::function<std::vector<TftpOutgoing>(TftpServer&)> interfere;
        std::vector<TftpOutgoing> expected;
        bool transferGoesOn;
    };
    const Case cases[] = {
        {"data from another address",
         [&](TftpServer& s) {
             return s
                 .Handle(From(DataBlock(2, image), TftpPort::Server, stranger, 64517), LabSwitch(),
                         kStart)
                 .packets;
         },
         {{TftpPort::Server, stranger, 64517,
           EncodeTftpError(kTftpErrorUnknownTransfer, "Unknown transfer ID")}},
         true},
        {"data from another port",
         [&](TftpServer& s) {
             return s
                 .Handle(From(DataBlock(2, image), TftpPort::Server, kManagerIp, 4000), LabSwitch(),
                         kStart)
                 .packets;
         },
         {{TftpPort::Server, kManagerIp, 4000,
           EncodeTftpError(kTftpErrorUnknownTransfer, "Unknown transfer ID")}},
         true},
        {"an error from the client",
         [&](TftpServer& s) {
             return s.Handle(From(EncodeTftpError(0, "cancelled")), LabSwitch(), kStart).packets;
         },
         {},
         false},
        {"a block longer than 512 bytes",
         [&](TftpServer& s) {
             return s.Handle(From(EncodeTftpData(2, Bytes(513, 1))), LabSwitch(), kStart).packets;
         },
         {ToManager(EncodeTftpError(kTftpErrorIllegalOperation, "Block longer than 512 bytes"))},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TftpServer server;
        server.Handle(From(WriteRequest()), LabSwitch(), kStart);
        server.Handle(From(DataBlock(1, image)), LabSwitch(), kStart);
        EXPECT_EQ(c.interfere(server), c.expected);
        const TftpResult last = server.Handle(From(DataBlock(2, image)), LabSwitch(), kStart);
        EXPECT_EQ(last.completed, c.transferGoesOn);
        if (c.transferGoesOn) {
            ASSERT_TRUE(server.Image());
            EXPECT_EQ(server.Image()->bytes, image);
        } else {
            EXPECT_FALSE(server.Image());
            EXPECT_EQ(server.StateText(), "idle");
        }
    }
}

TEST(TftpServer, ANewWriteRequestReplacesAStalledTransfer) {
    TftpServer server;
    const Bytes first = Image(1500);
    server.Handle(From(WriteRequest("old.hex")), LabSwitch(), kStart);
    server.Handle(From(DataBlock(1, first)), LabSwitch(), kStart);
    // The same client starts again (after its own give-up), then another client does.
    for (const std::uint16_t port : {kManagerTftpPort, std::uint16_t{50000}}) {
        const TftpResult restart = server.Handle(
            From(WriteRequest("new.hex"), TftpPort::Server, kManagerIp, port), LabSwitch(), kStart);
        EXPECT_EQ(restart.packets.size(), 1u);
        EXPECT_EQ(restart.packets[0].port, port);
        EXPECT_EQ(restart.notes.size(), 2u) << "the abandoned transfer is logged";
    }
    const Bytes second = Image(100);
    const TftpResult done = server.Handle(
        From(DataBlock(1, second), TftpPort::Server, kManagerIp, 50000), LabSwitch(), kStart);
    EXPECT_TRUE(done.completed);
    ASSERT_TRUE(server.Image());
    EXPECT_EQ(server.Image()->bytes, second);
    EXPECT_EQ(server.Image()->fileName, "new.hex");
}

TEST(TftpServer, WhileRestartingOnlyTheFinalBlockIsAcknowledgedAgain) {
    SwitchSettings sw = LabSwitch();
    const Bytes image = Image(1100);
    TftpServer server;
    ASSERT_TRUE(RunUpload(server, sw, image).completed);
    sw.restarting = true;
    EXPECT_EQ(server.StateText(), "restarting");
    EXPECT_EQ(server.Handle(From(DataBlock(3, image)), sw, kStart).packets,
              std::vector{ToManager(EncodeTftpAck(3))});
    EXPECT_TRUE(server.Handle(From(DataBlock(2, image)), sw, kStart).packets.empty());
    EXPECT_TRUE(
        server.Handle(From(DataBlock(3, image), TftpPort::Server, kManagerIp, 9), sw, kStart)
            .packets.empty());
    EXPECT_TRUE(server.Handle(From(WriteRequest()), sw, kStart).packets.empty());
    // Back from the restart: the transfer is over, a new one may start.
    sw.restarting = false;
    server.EndRestart();
    EXPECT_TRUE(server.Handle(From(DataBlock(3, image)), sw, kStart).packets.empty());
    EXPECT_EQ(server.Handle(From(WriteRequest()), sw, kStart).packets,
              std::vector{ToManager(kAck0)});
    EXPECT_EQ(server.Image()->bytes, image) << "the last image stays until the next completes";
}

TEST(TftpServer, NothingAnswersWhenSilentOrSwitchedOff) {
    for (const auto& setUp : std::vector<std::function<void(SwitchSettings&)>>{
             [](SwitchSettings& s) { s.silent = true; },
             [](SwitchSettings& s) { s.tftp = false; }}) {
        SwitchSettings sw = LabSwitch();
        setUp(sw);
        TftpServer server;
        EXPECT_TRUE(server.Handle(From(WriteRequest()), sw, kStart).packets.empty());
        EXPECT_EQ(server.StateText(), "idle");
    }
}

TEST(TftpServer, NotesWhetherAnUpgradeTriggerCameFirst) {
    TftpServer server;
    server.NoteTrigger();
    ASSERT_TRUE(RunUpload(server, LabSwitch(), Image(10)).completed);
    EXPECT_TRUE(server.Image()->afterTrigger);
    server.EndRestart();
    ASSERT_TRUE(RunUpload(server, LabSwitch(), Image(10)).completed);
    EXPECT_FALSE(server.Image()->afterTrigger) << "one trigger, one transfer";
}

TEST(PacketLoss, DropsTheShareAskedForTheSameWayForTheSameSeed) {
    for (const std::uint32_t percent : {0u, 1u, 20u, 50u, 100u}) {
        PacketLoss a(7);
        PacketLoss b(7);
        PacketLoss other(8);
        int dropped = 0;
        int differences = 0;
        const int draws = 20000;
        for (int i = 0; i < draws; ++i) {
            const bool drop = a.Drop(percent);
            EXPECT_EQ(drop, b.Drop(percent));
            differences += drop != other.Drop(percent) ? 1 : 0;
            dropped += drop ? 1 : 0;
        }
        // Within 1.5 points of the share asked for (more than 5 standard deviations at 20000).
        EXPECT_NEAR(dropped * 100.0 / draws, percent, 1.5) << percent;
        EXPECT_EQ(differences > 0, percent != 0 && percent != 100) << percent;
    }
}

TEST(TftpServer, LossDropsPacketsBothWaysButTheImageArrivesWhole) {
    struct Run {
        Upload upload;
        TftpCounts counts;
        Bytes image;
    };
    const Bytes image = Image(40 * 1024);
    const auto run = [&](std::uint32_t percent, std::uint32_t seed, ClientStyle style) {
        SwitchSettings sw = LabSwitch();
        sw.lossPercent = percent;
        sw.tftpPort = TftpAnswerPort::Other;
        TftpServer server(seed);
        Run r{RunUpload(server, sw, image, style), server.Counts(), {}};
        if (server.Image()) {
            r.image = server.Image()->bytes;
        }
        return r;
    };
    for (const ClientStyle style : {ClientStyle::AllToPort69, ClientStyle::FollowAnswerPort}) {
        const Run lossy = run(20, 3, style);
        ASSERT_TRUE(lossy.upload.acknowledged);
        EXPECT_EQ(lossy.image, image);
        const TftpCounts& c = lossy.counts;
        // 81 exchanges: 20% of what comes in is lost; of what gets through, 20% of the answers.
        EXPECT_GT(c.receivedDropped, 0u);
        EXPECT_GT(c.sentDropped, 0u);
        EXPECT_NEAR(c.receivedDropped * 100.0 / c.received, 20, 8);
        EXPECT_NEAR(c.sentDropped * 100.0 / c.sent, 20, 8);
        EXPECT_EQ(c.received, lossy.upload.sends);
        EXPECT_EQ(c.sent - c.sentDropped, lossy.upload.answers.size());
        // A lost answer makes the client send again: a duplicate the server acknowledges again.
        EXPECT_GT(c.duplicates, 0u);

        // The same seed loses the same packets; another seed others.
        const Run again = run(20, 3, style);
        EXPECT_EQ(again.counts, lossy.counts);
        EXPECT_EQ(again.upload.answers, lossy.upload.answers);
        EXPECT_NE(run(20, 4, style).counts, lossy.counts);

        const Run clean = run(0, 3, style);
        EXPECT_EQ(clean.counts.receivedDropped + clean.counts.sentDropped, 0u);
        EXPECT_EQ(clean.image, image);
        EXPECT_FALSE(run(100, 3, style).upload.acknowledged);
    }
}

} // namespace
} // namespace fenwick::sim
