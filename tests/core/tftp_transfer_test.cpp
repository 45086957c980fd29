#include "codec/device_record.h"
#include "core/firmware/tftp_transfer.h"
#include "core/monitor/event_log.h"
#include "core_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fenwick::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kDevice = 0x0A4D0101;   // 10.77.1.1
constexpr std::uint32_t kStranger = 0x0A4D0102; // another host on the segment
constexpr std::uint16_t kPort = TftpTransfer::kLocalPort;
const QString kRebootNotice =
    QStringLiteral("\nThe device will reboot, please wait for a few seconds");

// The file's byte at `offset`, different in every block and in every image.
std::uint8_t ImageByte(std::size_t offset, std::uint8_t seed) {
    return static_cast<std::uint8_t>(offset * 31 + offset / 512 + seed);
}

class TftpTransferTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        // The transfer alone: with the polling stopped, every timer running is the upgrade's.
        Start().Shutdown();
        state->Upgrade.UpgradeTargetIp = kDevice;
        QObject::connect(&transfer(), &TftpTransfer::upgradeStateChanged,
                         [this](const QString& text) {
                             upgradeStates.push_back({text, clock.Now()});
                         });
        QObject::connect(&transfer(), &TftpTransfer::finalAcknowledged,
                         [this] { finalAcknowledgedAt.push_back(clock.Now()); });
        QObject::connect(&transfer(), &TftpTransfer::transferEnded, [this](bool completed) {
            ended.push_back({completed, clock.Now()});
        });
    }

    // Writes an image of `size` bytes and makes it the FirmwarePath.
    std::string UseImage(std::size_t size, std::uint8_t seed = 0, const char* name = "image.hex") {
        const std::string path = root.path().toStdString() + "/" + name;
        Bytes bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = ImageByte(i, seed);
        }
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(size));
        SetFieldText(state->Upgrade.FirmwarePath, path);
        return path;
    }

    // The image FirmwarePath names, opened as "Start" opens it.
    FirmwareImage OpenImage() const {
        FirmwareImage image;
        EXPECT_EQ(image.Open(FieldText(state->Upgrade.FirmwarePath)), ImageOpening::Opened);
        return image;
    }
    void StartTransfer() { ASSERT_TRUE(transfer().StartTftpTransfer(OpenImage())); }

    void Reply(Bytes bytes, std::uint32_t source = kDevice) {
        ASSERT_TRUE(network.Deliver(kPort, std::move(bytes), source));
    }
    void Ack(std::uint16_t block, std::uint32_t source = kDevice) {
        Reply({0, 4, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)},
              source);
    }
    void DeviceError(const std::string& text, std::uint32_t source = kDevice) {
        Bytes bytes{0, 5, 0, 2};
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
        Reply(std::move(bytes), source);
    }

    // Every packet goes from the fixed local port to port 69 of the device.
    void ExpectAllSentToDevicePort69() const {
        for (const MemoryNetwork::Sent& sent : network.sent) {
            EXPECT_EQ(sent.fromPort, kPort);
            EXPECT_EQ(sent.address, kDevice);
            EXPECT_EQ(sent.port, 69);
        }
    }

    struct DataSent {
        std::uint16_t block;
        Bytes data;
    };
    std::vector<DataSent> DataPackets() const {
        std::vector<DataSent> packets;
        for (const MemoryNetwork::Sent& sent : network.sent) {
            if (sent.bytes.size() >= 4 && sent.bytes[0] == 0 && sent.bytes[1] == 3) {
                packets.push_back({static_cast<std::uint16_t>(sent.bytes[2] << 8 | sent.bytes[3]),
                                   Bytes(sent.bytes.begin() + 4, sent.bytes.end())});
            }
        }
        return packets;
    }
    // How many packets with `opcode` (and `block`, when given) were sent.
    int CountSent(std::uint8_t opcode, std::optional<std::uint16_t> block = std::nullopt) const {
        int count = 0;
        for (const MemoryNetwork::Sent& sent : network.sent) {
            if (sent.bytes.size() >= 4 && sent.bytes[1] == opcode &&
                (!block || (sent.bytes[2] << 8 | sent.bytes[3]) == *block)) {
                ++count;
            }
        }
        return count;
    }

    // Advances half a second at a time over `milliseconds` and notes when each write
    // request was sent.
    std::vector<std::int64_t> WriteRequestTimes(std::int64_t milliseconds) {
        std::vector<std::int64_t> times;
        const std::int64_t start = clock.Now();
        std::size_t seen = 0;
        auto note = [&] {
            for (; seen < network.sent.size(); ++seen) {
                if (network.sent[seen].bytes[1] == 2) {
                    times.push_back(clock.Now() - start);
                }
            }
        };
        note();
        for (std::int64_t t = 0; t < milliseconds; t += 500) {
            clock.Advance(500);
            note();
        }
        return times;
    }

    Bytes ImageSlice(std::size_t from, std::size_t count, std::uint8_t seed = 0) const {
        Bytes bytes(count);
        for (std::size_t i = 0; i < count; ++i) {
            bytes[i] = ImageByte(from + i, seed);
        }
        return bytes;
    }

    std::string LogContents() const {
        QFile file(core->Log().Path());
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return file.readAll().toStdString();
    }
    // The upgrade failure line, stamped `at` milliseconds into the test.
    std::string FailureLine(const std::string& text, std::int64_t at) const {
        const QString stamp =
            clock.Start().addMSecs(at).toString(QStringLiteral("MM/dd/yyyy hh:mm:ss"));
        return stamp.toStdString() + " 10.77.1.1 " + text + " \r\n";
    }

    std::vector<QString> StateTexts() const {
        std::vector<QString> texts;
        for (const auto& [text, at] : upgradeStates) {
            texts.push_back(text);
        }
        return texts;
    }

    bool SocketOpen() const { return network.BoundTo(kPort) != nullptr; }

    // The upgrade's transfer, whose boxes belong to the upgrade window.
    TftpTransfer& transfer() { return core->Tftp(); }
    std::vector<std::pair<QString, std::int64_t>> upgradeStates;
    std::vector<std::int64_t> finalAcknowledgedAt;
    std::vector<std::pair<bool, std::int64_t>> ended;
};

TEST_F(TftpTransferTest, WritesTheImageBlockByBlockAndFinishesAfterThePause) {
    struct Case {
        std::size_t size;
        std::vector<std::size_t> blockSizes;
        std::vector<QString> statesAfterEachBlock; // what Upgrade State shows after each send
    };
    const Case cases[] = {
        {1000, {512, 488}, {{}, QStringLiteral("Complete...1000/1000 bytes")}},
        {1024,
         {512, 512, 0},
         {{},
          QStringLiteral("Upgrade...1024/1024 bytes"),
          QStringLiteral("Complete...1024/1024 bytes")}},
        {512, {512, 0}, {{}, QStringLiteral("Complete...512/512 bytes")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        network.sent.clear();
        upgradeStates.clear();
        finalAcknowledgedAt.clear();
        ended.clear();
        transfer().ResetTransferState();
        const std::string path = UseImage(c.size);
        StartTransfer();
        ASSERT_EQ(network.sent.size(), 1u);
        Bytes request{0, 2};
        request.insert(request.end(), path.begin(), path.end());
        for (const char* tail : {"", "octet", ""}) {
            request.insert(request.end(), tail, tail + std::strlen(tail));
            request.push_back(0);
        }
        request.pop_back(); // "octet" is followed by exactly one zero
        EXPECT_EQ(network.sent[0].bytes, request);
        EXPECT_EQ(transfer().State(), TftpState::Requesting);

        for (std::uint16_t acked = 0; acked < c.blockSizes.size(); ++acked) {
            Ack(acked);
            EXPECT_EQ(transfer().State(), TftpState::Sending);
            const std::vector<DataSent> packets = DataPackets();
            ASSERT_EQ(packets.size(), acked + 1u);
            EXPECT_EQ(packets.back().block, acked + 1);
            EXPECT_EQ(packets.back().data, ImageSlice(acked * 512u, c.blockSizes[acked]));
            const QString shown = upgradeStates.empty() ? QString() : upgradeStates.back().first;
            EXPECT_EQ(shown, c.statesAfterEachBlock[acked]) << "block " << acked + 1;
        }
        EXPECT_EQ(state->Upgrade.UpgradeBytesSent, c.size);
        const auto finalBlock = static_cast<std::uint16_t>(c.blockSizes.size());
        const std::int64_t acknowledgedAt = clock.Now();
        Ack(finalBlock);
        EXPECT_EQ(transfer().State(), TftpState::Complete);
        EXPECT_EQ(finalAcknowledgedAt, std::vector<std::int64_t>{acknowledgedAt});
        EXPECT_EQ(state->Upgrade.UpgradeBytesSent, 0u);
        clock.Advance(4999);
        EXPECT_TRUE(ended.empty());
        EXPECT_TRUE(SocketOpen());
        clock.Advance(1);
        EXPECT_EQ(ended,
                  (std::vector<std::pair<bool, std::int64_t>>{{true, acknowledgedAt + 5000}}));
        EXPECT_EQ(transfer().State(), TftpState::Idle);
        EXPECT_FALSE(SocketOpen());
        EXPECT_EQ(network.sent.size(), c.blockSizes.size() + 1); // nothing resent
        EXPECT_EQ(clock.ActiveTimers(), 1); // the confirmation's wait for the restart
        ExpectAllSentToDevicePort69();
        EXPECT_TRUE(upgradePrompts.boxes.empty());
    }
}

TEST_F(TftpTransferTest, AnUnansweredWriteRequestIsSentSixTimesThenDeviceNotFound) {
    UseImage(1000);
    StartTransfer();
    // Timer 2 lets its first tick pass, then resends on each tick.
    EXPECT_EQ(WriteRequestTimes(10000),
              (std::vector<std::int64_t>{0, 2000, 3000, 4000, 5000, 6000}));
    EXPECT_EQ(StateTexts(), std::vector<QString>{QStringLiteral("Device not found")});
    EXPECT_EQ(upgradeStates.back().second, 6000);
    EXPECT_EQ(transfer().State(), TftpState::Idle);
    EXPECT_FALSE(SocketOpen());
    EXPECT_EQ(clock.ActiveTimers(), 0);

    // A later try resends on its first tick already, and gives up a second earlier.
    upgradeStates.clear();
    network.sent.clear();
    const std::int64_t again = clock.Now();
    StartTransfer();
    EXPECT_EQ(WriteRequestTimes(10000),
              (std::vector<std::int64_t>{0, 1000, 2000, 3000, 4000, 5000}));
    EXPECT_EQ(StateTexts(), std::vector<QString>{QStringLiteral("Device not found")});
    EXPECT_EQ(upgradeStates.back().second - again, 5000);
    ExpectAllSentToDevicePort69();
    EXPECT_TRUE(LogContents().empty()); // "Device not found" is not logged
}

TEST_F(TftpTransferTest, AnUnacknowledgedBlockIsResentFiveTimesThenTheTransferFailsAndIsLogged) {
    struct Case {
        std::vector<std::uint16_t> acks; // before the device falls silent
        std::uint16_t silentBlock;
        QString failure;
    };
    const Case cases[] = {
        {{0}, 1, QStringLiteral("Upgrade fail, translate 512/1000 bytes")},
        {{0, 1}, 2, QStringLiteral("Upgrade fail, translate 1000/1000 bytes")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.silentBlock);
        network.sent.clear();
        upgradeStates.clear();
        transfer().ResetTransferState();
        UseImage(1000);
        StartTransfer();
        const std::int64_t blockOneAt = clock.Now();
        for (const std::uint16_t block : c.acks) {
            Ack(block);
        }
        std::vector<std::int64_t> sendTimes;
        for (int t = 0; t < 20000; t += 500) {
            const int before = CountSent(3, c.silentBlock);
            clock.Advance(500);
            if (CountSent(3, c.silentBlock) > before) {
                sendTimes.push_back(clock.Now() - blockOneAt);
            }
        }
        // Timer 1 runs from block 1 on: one tick passes after each send, the next resends.
        EXPECT_EQ(sendTimes, (std::vector<std::int64_t>{2000, 4000, 6000, 8000, 10000}));
        EXPECT_EQ(CountSent(3, c.silentBlock), 6);
        ASSERT_FALSE(upgradeStates.empty());
        EXPECT_EQ(upgradeStates.back().first, c.failure); // resent bytes are not counted again
        EXPECT_EQ(upgradeStates.back().second - blockOneAt, 12000);
        EXPECT_EQ(transfer().State(), TftpState::Idle);
        EXPECT_FALSE(SocketOpen());
        EXPECT_EQ(state->Upgrade.UpgradeBytesSent, 0u);
        EXPECT_EQ(clock.ActiveTimers(), 0);
        EXPECT_TRUE(ended.empty()); // the window stays open for another "Start"
        ExpectAllSentToDevicePort69();
    }
    // Both failures are in the log, each stamped when it happened.
    const std::string contents = LogContents();
    EXPECT_NE(contents.find(" 10.77.1.1 Upgrade fail, translate 512/1000 bytes \r\n"),
              std::string::npos);
    EXPECT_TRUE(contents.ends_with(
        FailureLine("Upgrade fail, translate 1000/1000 bytes", upgradeStates.back().second)));
}

TEST_F(TftpTransferTest, AFailedTransferCanStartAgainFromBlockOne) {
    UseImage(1000);
    StartTransfer();
    Ack(0);
    clock.Advance(20000);
    ASSERT_EQ(transfer().State(), TftpState::Idle);
    network.sent.clear();
    StartTransfer();
    Ack(0);
    Ack(1);
    Ack(2);
    EXPECT_EQ(transfer().State(), TftpState::Complete);
    const std::vector<DataSent> packets = DataPackets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].block, 1);
    EXPECT_EQ(packets[1].block, 2);
}

TEST_F(TftpTransferTest, DuplicateAndStaleAcknowledgementsSendNothingButResetTheRetries) {
    UseImage(2048);
    StartTransfer();
    const std::int64_t blockOneAt = clock.Now();
    Ack(0);
    clock.Advance(2500); // block 1 resent once, at 2000
    ASSERT_EQ(CountSent(3, 1), 2);
    Ack(1);
    clock.Advance(8000); // block 2 resent at 4000, 6000, 8000 and 10000
    ASSERT_EQ(CountSent(3, 2), 5);
    const std::size_t sentBefore = network.sent.size();
    Ack(1); // duplicate
    Ack(0); // stale
    EXPECT_EQ(network.sent.size(), sentBefore);
    EXPECT_EQ(transfer().State(), TftpState::Sending);
    // The retry count starts again: five more resends before the failure.
    clock.Advance(30000);
    EXPECT_EQ(CountSent(3, 2), 10);
    EXPECT_EQ(CountSent(3, 3), 0);
    ASSERT_FALSE(upgradeStates.empty());
    EXPECT_EQ(upgradeStates.back().first,
              QStringLiteral("Upgrade fail, translate 1024/2048 bytes"));
    EXPECT_EQ(upgradeStates.back().second - blockOneAt, 22000);
}

TEST_F(TftpTransferTest, RepliesFromAnotherAddressAreIgnored) {
    UseImage(1000);
    StartTransfer();
    Ack(0, kStranger);
    EXPECT_EQ(CountSent(3), 0);
    EXPECT_EQ(transfer().State(), TftpState::Requesting);
    Ack(0);
    ASSERT_EQ(CountSent(3, 1), 1);
    Ack(1, kStranger); // would skip a block
    EXPECT_EQ(CountSent(3, 2), 0);
    DeviceError("Abort", kStranger); // would abort the upgrade
    EXPECT_TRUE(upgradePrompts.boxes.empty());
    EXPECT_TRUE(ended.empty());
    Ack(1);
    Ack(2);
    EXPECT_EQ(transfer().State(), TftpState::Complete);
    EXPECT_TRUE(LogContents().empty());
}

TEST_F(TftpTransferTest, AnErrorPacketIsShownWithTheRebootNoticeLoggedAndEndsTheWindow) {
    struct Case {
        std::string text;
        std::string used; // at most 45 characters
        std::vector<std::uint16_t> acks;
    };
    const std::string longText = "Flash programming failed at sector 17 of 64, image rejected";
    const Case cases[] = {
        {"Checksum error", "Checksum error", {0, 1}},
        {longText, longText.substr(0, 45), {0}},
        {"No space", "No space", {}}, // answering the write request
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        upgradePrompts.boxes.clear();
        upgradeStates.clear();
        ended.clear();
        network.sent.clear();
        transfer().ResetTransferState();
        UseImage(2048);
        StartTransfer();
        for (const std::uint16_t block : c.acks) {
            Ack(block);
        }
        std::vector<bool> openWhileBoxShown;
        upgradePrompts.whileOpen = [&](const RecordingPrompts::Box&) {
            openWhileBoxShown.push_back(SocketOpen());
        };
        DeviceError(c.text);
        upgradePrompts.whileOpen = nullptr;
        ASSERT_EQ(upgradePrompts.boxes.size(), 1u);
        EXPECT_EQ(upgradePrompts.boxes[0].text, QString::fromStdString(c.used) + kRebootNotice);
        EXPECT_EQ(upgradePrompts.boxes[0].caption, QStringLiteral("upgrade fail"));
        EXPECT_EQ(upgradePrompts.boxes[0].icon, UserPrompts::Icon::Error);
        EXPECT_EQ(openWhileBoxShown, std::vector<bool>{false});
        EXPECT_TRUE(LogContents().ends_with(FailureLine(c.used, clock.Now())));
        EXPECT_EQ(StateTexts().back(), QStringLiteral(" "));
        EXPECT_EQ(ended, (std::vector<std::pair<bool, std::int64_t>>{{false, clock.Now()}}));
        EXPECT_EQ(transfer().State(), TftpState::Idle);
        EXPECT_EQ(state->Upgrade.UpgradeBytesSent, 0u);
        EXPECT_EQ(clock.ActiveTimers(), 0);
        const std::size_t sent = network.sent.size();
        clock.Advance(20000);
        EXPECT_EQ(network.sent.size(), sent);
    }
}

TEST_F(TftpTransferTest, EveryWayATransferEndsLeavesNothingForTheNext) {
    struct Case {
        const char* what;
        std::function<void()> end; // from a transfer of a 1000-byte image just started
    };
    const Case cases[] = {
        {"completed", [&] { Ack(0), Ack(1), Ack(2), clock.Advance(5000); }},
        {"failed for want of acknowledgements", [&] { Ack(0), Ack(1), clock.Advance(20000); }},
        {"device error", [&] { Ack(0), Ack(1), DeviceError("Abort"); }},
        {"device error while a box of the transfer is open",
         [&] {
             Ack(0);
             network.sendError = 101; // the final block's send fails and its box opens
             upgradePrompts.whileOpen = [&](const RecordingPrompts::Box& box) {
                 if (box.text == QStringLiteral("Upgrade fail!!!!")) {
                     network.sendError = 0;
                     DeviceError("Abort");
                 }
             };
             Ack(1);
             upgradePrompts.whileOpen = nullptr;
         }},
        {"cancelled", [&] { Ack(0), Ack(1), transfer().Cancel(); }},
        {"device not found", [&] { clock.Advance(10000); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseImage(1000, 0, "first.hex");
        StartTransfer();
        c.end();
        EXPECT_EQ(transfer().State(), TftpState::Idle);
        EXPECT_FALSE(SocketOpen());
        EXPECT_EQ(state->Upgrade.UpgradeBytesSent, 0u);

        // A longer image next: block 2, final in the first, must not end it.
        network.sent.clear();
        upgradeStates.clear();
        ended.clear();
        UseImage(2048, 3, "second.hex");
        StartTransfer();
        for (std::uint16_t block = 0; block <= 4; ++block) {
            Ack(block);
            EXPECT_EQ(transfer().State(), TftpState::Sending) << "after block " << block;
        }
        Ack(5);
        EXPECT_EQ(transfer().State(), TftpState::Complete);
        const std::vector<DataSent> packets = DataPackets();
        ASSERT_EQ(packets.size(), 5u);
        EXPECT_EQ(packets[2].data, ImageSlice(1024, 512, 3));
        clock.Advance(5000);
        EXPECT_EQ(ended.size(), 1u);
        EXPECT_EQ(transfer().State(), TftpState::Idle);
        network.sent.clear();
        upgradePrompts.boxes.clear();
    }
}

TEST_F(TftpTransferTest, TheImageIsTheFileOpenedAtStartWhateverThePathNamesSince) {
    UseImage(2048, 0, "first.hex");
    StartTransfer();
    Ack(0);
    UseImage(1500, 7, "second.hex"); // a path chosen meanwhile
    Ack(1);
    Ack(2);
    Ack(3);
    Ack(4);
    const std::vector<DataSent> packets = DataPackets();
    ASSERT_EQ(packets.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(packets[i].data, ImageSlice(i * 512, 512, 0)) << "block " << i + 1;
    }
    EXPECT_TRUE(packets[4].data.empty());
    EXPECT_EQ(upgradeStates.back().first, QStringLiteral("Complete...2048/2048 bytes"));
}

TEST_F(TftpTransferTest, AnImageRewrittenDuringTheTransferStopsItAndNothingMoreIsSent) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> rewrite;
        QString box;
    };
    const Case cases[] = {
        {"grown",
         [](const std::string& path) {
             QFile file(QString::fromStdString(path));
             ASSERT_TRUE(file.open(QIODevice::Append));
             file.write("more");
         },
         QStringLiteral("The firmware file changed size during the upgrade; nothing more is sent")},
        {"same size, new bytes",
         [](const std::string& path) {
             QFile file(QString::fromStdString(path));
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             file.write("XXXX");
             file.close();
             // Even within the file system's clock tick, the time stamp moves.
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                          QFileDevice::FileModificationTime));
         },
         QStringLiteral(
             "The firmware file was rewritten during the upgrade; nothing more is sent")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        upgradePrompts.boxes.clear();
        network.sent.clear();
        const std::string path = UseImage(2048);
        StartTransfer();
        Ack(0);
        c.rewrite(path);
        Ack(1);
        EXPECT_EQ(CountSent(3, 2), 0);
        ASSERT_EQ(upgradePrompts.boxes.size(), 1u);
        EXPECT_EQ(upgradePrompts.boxes[0].text, c.box);
        EXPECT_EQ(upgradeStates.back().first,
                  QStringLiteral("Upgrade fail, translate 512/2048 bytes"));
        EXPECT_EQ(transfer().State(), TftpState::Idle);
        EXPECT_FALSE(SocketOpen());
        const std::size_t sent = network.sent.size();
        clock.Advance(20000);
        EXPECT_EQ(network.sent.size(), sent);
    }
}

TEST_F(TftpTransferTest, AnUnreadableImageIsToldAndEndsTheTransfer) {
    UseImage(1000);
    ASSERT_TRUE(transfer().StartTftpTransfer(FirmwareImage())); // nothing open to read
    Ack(0);
    ASSERT_EQ(upgradePrompts.boxes.size(), 1u);
    EXPECT_EQ(upgradePrompts.boxes[0].text, QStringLiteral("Open firmware file error"));
    EXPECT_EQ(upgradePrompts.boxes[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(CountSent(3), 0);
    EXPECT_EQ(transfer().State(), TftpState::Idle);
    EXPECT_FALSE(SocketOpen());
    EXPECT_EQ(clock.ActiveTimers(), 0);
    StartTransfer(); // "Start" works again
}

TEST_F(TftpTransferTest, AStartThatFailsTellsWhyAndLeavesNothingRunning) {
    struct Case {
        const char* text;
        std::function<void()> spoil;
    };
    std::unique_ptr<DatagramSocket> holder;
    const Case cases[] = {
        {"Creat tftp socket error", [&] { network.failCreate = true; }},
        {"Bind tftps socket error", [&] { network.failBind = true; }},
        {"Bind tftps socket error",
         [&] {
             holder = network.Create(); // a transfer still running holds the port
             ASSERT_EQ(holder->Bind(kPort), 0);
         }},
        {"Write request send error", [&] { network.sendError = 101; }},
    };
    UseImage(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        upgradePrompts.boxes.clear();
        c.spoil();
        EXPECT_FALSE(transfer().StartTftpTransfer(OpenImage()));
        ASSERT_EQ(upgradePrompts.boxes.size(), 1u);
        EXPECT_EQ(upgradePrompts.boxes[0].text, QString::fromLatin1(c.text));
        EXPECT_EQ(upgradePrompts.boxes[0].caption, QStringLiteral("Error"));
        EXPECT_EQ(transfer().State(), TftpState::Idle);
        EXPECT_EQ(clock.ActiveTimers(), 0);
        network.failCreate = false;
        network.failBind = false;
        network.sendError = 0;
        holder.reset();
        EXPECT_FALSE(SocketOpen());
    }
    StartTransfer(); // nothing was left behind
}

TEST_F(TftpTransferTest, AFailedDataSendIsToldAndResentByTheTimer) {
    UseImage(1000);
    StartTransfer();
    network.sendError = 101;
    Ack(0);
    ASSERT_EQ(upgradePrompts.boxes.size(), 1u);
    EXPECT_EQ(upgradePrompts.boxes[0].text, QStringLiteral("Upgrade fail!!!!"));
    network.sendError = 0;
    clock.Advance(2000);
    EXPECT_EQ(CountSent(3, 1), 1);
    EXPECT_EQ(state->Upgrade.UpgradeBytesSent, 512u);
}

TEST_F(TftpTransferTest, OnlyTheFinalBlockSentCompletesTheTransfer) {
    UseImage(2048);
    StartTransfer();
    Ack(0);
    Ack(0xFFFF); // no short block has been sent yet
    EXPECT_EQ(transfer().State(), TftpState::Sending);
    EXPECT_TRUE(finalAcknowledgedAt.empty());
    clock.Advance(10000);
    EXPECT_TRUE(ended.empty());
}

TEST_F(TftpTransferTest, CancelStopsTheTransferButNotThePauseAfterTheFinalAcknowledgement) {
    UseImage(1000);
    StartTransfer();
    Ack(0);
    transfer().Cancel();
    EXPECT_EQ(transfer().State(), TftpState::Idle);
    EXPECT_FALSE(SocketOpen());
    EXPECT_EQ(state->Upgrade.UpgradeBytesSent, 0u);
    const std::size_t sent = network.sent.size();
    clock.Advance(20000);
    EXPECT_EQ(network.sent.size(), sent);
    EXPECT_TRUE(upgradeStates.empty());

    StartTransfer();
    Ack(0);
    Ack(1);
    Ack(2);
    transfer().Cancel(); // the device is writing the image; the confirmation must follow
    EXPECT_EQ(transfer().State(), TftpState::Complete);
    clock.Advance(5000);
    EXPECT_EQ(ended.size(), 1u);
    EXPECT_TRUE(ended.front().first);
}

} // namespace
} // namespace fenwick::testing
