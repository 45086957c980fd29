#include "tftp_transfer.h"

#include "codec/device_record.h"
#include "codec/tftp_packets.h"
#include "core/firmware/firmware_texts.h"
#include "core/firmware/upgrade_confirmation.h"
#include "core/support/latin1.h"

#include <QByteArray>
#include <array>

namespace fenwick {

TftpTransfer::TftpTransfer(UpgradeValues& upgrade, UnstackedBoxes& boxes,
                           DatagramSocketFactory& sockets, Timers& timers, EventLog& log,
                           UpgradeConfirmation& confirmation, QObject* parent)
    : QObject(parent), upgrade_(upgrade), boxes_(boxes), sockets_(sockets), log_(log),
      confirmation_(confirmation),
      dataTimer_(timers.Create(Timers::Kind::Periodic, [this] { OnDataTick(); })),
      requestTimer_(timers.Create(Timers::Kind::Periodic, [this] { OnRequestTick(); })),
      pause_(timers.Create(Timers::Kind::SingleShot, [this] { FinishTransfer(); })) {}

TftpTransfer::~TftpTransfer() = default;

bool TftpTransfer::StartTftpTransfer(FirmwareImage image) {
    if (state_ != TftpState::Idle) {
        return false; // one transfer at a time: there is one port and one set of values
    }
    std::unique_ptr<DatagramSocket> socket = sockets_.Create();
    if (!socket) {
        boxes_.Show(texts::kCreatTftpSocketError, texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    if (socket->Bind(kLocalPort) != 0) {
        boxes_.Show(texts::kBindTftpsSocketError, texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    // From the clean state every end leaves; the write request's retry count is the run's.
    ResetTransferState();
    counters_.RequestRetries = 0;
    image_ = std::move(image);
    counters_.FirmwareFileSize = image_.Size();
    upgrade_.UpgradeBytesSent = 0;
    socket_ = std::move(socket);
    socket_->SetReadyCallback([this] { OnDatagram(); });
    device_ = upgrade_.UpgradeTargetIp;
    state_ = TftpState::Requesting;
    ++transferNumber_;
    emit runningChanged(true);
    requestTimer_->Start(kTickMilliseconds);
    if (!SendWriteRequest()) {
        // Nothing went out: the window stays idle for another "Start".
        EndTransfer();
        return false;
    }
    return true;
}

void TftpTransfer::ResetTransferState() {
    counters_.DataTickSeen = false;
    counters_.LastBlockSent = 0;
    counters_.FinalBlock.reset();
    counters_.FirmwareFileSize = 0;
    counters_.DataRetries = 0;
}

void TftpTransfer::Cancel() {
    if (state_ == TftpState::Complete) {
        return;
    }
    EndTransfer();
}

void TftpTransfer::EndTransfer() {
    dataTimer_->Stop();
    requestTimer_->Stop();
    pause_->Stop();
    CloseSocket();
    ResetTransferState();
    counters_.RequestRetries = 0; // RequestTickSeen is kept for the run, as the retry rule says
    upgrade_.UpgradeBytesSent = 0;
    const bool wasRunning = state_ != TftpState::Idle;
    state_ = TftpState::Idle;
    ++transferNumber_;
    if (wasRunning) {
        emit runningChanged(false);
    }
}

bool TftpTransfer::Tell(const QString& text, const QString& caption, UserPrompts::Icon icon) {
    const std::uint64_t before = transferNumber_;
    boxes_.Show(text, caption, icon);
    return transferNumber_ == before;
}

void TftpTransfer::OnDatagram() {
    if (!socket_) {
        return;
    }
    std::array<std::uint8_t, kTftpBlockSize> buffer{};
    std::uint32_t source = 0;
    const int length = socket_->Receive(buffer, source);
    if (length < 0 || source != device_ ||
        (state_ != TftpState::Requesting && state_ != TftpState::Sending)) {
        return;
    }
    const TftpReply reply = ParseTftpReply(
        std::span<const std::uint8_t>(buffer).first(static_cast<std::size_t>(length)));
    switch (reply.kind) {
    case TftpReply::Kind::Acknowledgement:
        OnAcknowledgement(reply.block);
        break;
    case TftpReply::Kind::Error:
        OnDeviceError(reply.errorText);
        break;
    case TftpReply::Kind::Other:
        break;
    }
}

void TftpTransfer::OnAcknowledgement(std::uint16_t block) {
    counters_.DataRetries = 0;
    if (block == 0) { // the write request is answered
        requestTimer_->Stop();
        counters_.RequestRetries = 0;
        counters_.RequestTickSeen = false;
        if (state_ == TftpState::Requesting) {
            state_ = TftpState::Sending;
            SendNextBlock(0);
        }
        return; // once sending, a repeated answer to the request is stale
    }
    if (state_ != TftpState::Sending) {
        return; // a data block is acknowledged before the request was: nothing of ours
    }
    if (counters_.FinalBlock == block) {
        state_ = TftpState::Complete;
        dataTimer_->Stop();
        upgrade_.UpgradeBytesSent = 0;
        emit finalAcknowledged();
        pause_->Start(kCompletionPauseMilliseconds);
    } else if (block == counters_.LastBlockSent) {
        SendNextBlock(block);
    }
    // Anything else is a duplicate or stale acknowledgement: nothing is sent.
}

void TftpTransfer::OnDeviceError(std::string_view text) {
    const QString used = Latin1(text.substr(0, kErrorTextLimit));
    LogUpgradeEvent(used);
    // Ended before the box opens, so that nothing arriving while it is open resumes the
    // transfer.
    EndTransfer();
    ShowUpgradeState(texts::kUpgradeStateCleared);
    if (!Tell(used + texts::kRebootNotice, texts::kCaptionUpgradeFail, UserPrompts::Icon::Error)) {
        return; // another transfer began under the box: the window is its now
    }
    emit transferEnded(false);
}

void TftpTransfer::OnDataTick() {
    if (state_ != TftpState::Sending) {
        return;
    }
    if (!counters_.DataTickSeen) {
        counters_.DataTickSeen = true;
        return;
    }
    if (counters_.DataRetries >= kDataRetransmissions) {
        FailTransfer();
        return;
    }
    ++counters_.DataRetries;
    SendNextBlock(static_cast<std::uint16_t>(counters_.LastBlockSent - 1));
}

void TftpTransfer::OnRequestTick() {
    if (state_ != TftpState::Requesting) {
        return;
    }
    if (!counters_.RequestTickSeen) {
        counters_.RequestTickSeen = true;
        return;
    }
    ++counters_.RequestRetries;
    if (counters_.RequestRetries >= kRequestRetransmissions) {
        // The last resend goes out as the transfer gives up; RequestTickSeen stays set, so a
        // later try resends on its first tick.
        [[maybe_unused]] const bool sent = SendWriteRequest();
        if (state_ == TftpState::Requesting) {
            EndTransfer();
            ShowUpgradeState(texts::kDeviceNotFound);
        }
        return;
    }
    // A failed resend has told the operator; the next tick tries again.
    [[maybe_unused]] const bool sent = SendWriteRequest();
}

bool TftpTransfer::SendWriteRequest() {
    TftpWriteRequestBuffer buffer;
    const std::span<const std::uint8_t> request =
        BuildTftpWriteRequest(buffer, FieldText(upgrade_.FirmwarePath));
    counters_.DataTickSeen = false;
    if (socket_->SendTo(request, device_, kDevicePort) != 0) {
        [[maybe_unused]] const bool same =
            Tell(texts::kWriteRequestSendError, texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    return true;
}

void TftpTransfer::SendNextBlock(std::uint16_t acknowledged) {
    std::array<std::uint8_t, kTftpBlockSize> data{};
    const FirmwareImage::Block read =
        image_.ReadBlock(std::int64_t{acknowledged} * std::int64_t{kTftpBlockSize}, data);
    if (read.result == BlockReading::Resized || read.result == BlockReading::Modified) {
        // The device must not get the rest of another image.
        FailTransfer();
        [[maybe_unused]] const bool same =
            Tell(read.result == BlockReading::Resized ? texts::kFirmwareFileResized
                                                      : texts::kFirmwareFileModified,
                 texts::kCaptionError, UserPrompts::Icon::Error);
        return;
    }
    if (read.result == BlockReading::Failed) {
        if (!dataTimer_->IsActive()) {
            // The first block: nothing is out yet and no timer would try again.
            EndTransfer();
        }
        // A later block is tried again by timer 1, and the transfer fails after its retries.
        [[maybe_unused]] const bool same =
            Tell(texts::kOpenFirmwareFileError, texts::kCaptionError, UserPrompts::Icon::Error);
        return;
    }
    if (acknowledged == 0) {
        dataTimer_->Start(kTickMilliseconds);
    }
    if (counters_.DataRetries == 0) { // a first send, not a resend
        upgrade_.UpgradeBytesSent += static_cast<std::uint32_t>(read.count);
        emit progressChanged(upgrade_.UpgradeBytesSent, counters_.FirmwareFileSize);
    }
    const auto block = static_cast<std::uint16_t>(acknowledged + 1);
    counters_.LastBlockSent = block;
    if (read.count < kTftpBlockSize) {
        counters_.FinalBlock = block;
        ShowUpgradeState(BytesText(texts::kUpgradeComplete));
    } else if (acknowledged != 0) {
        ShowUpgradeState(BytesText(texts::kUpgradeProgress));
    }
    // Last, as its box may open: everything of this block is settled before.
    SendDataPacket(std::span<const std::uint8_t>(data).first(read.count), block);
}

void TftpTransfer::SendDataPacket(std::span<const std::uint8_t> data, std::uint16_t block) {
    TftpDataBuffer buffer;
    const std::span<const std::uint8_t> packet = BuildTftpData(buffer, block, data);
    counters_.DataTickSeen = false;
    if (socket_->SendTo(packet, device_, kDevicePort) != 0) {
        // Timer 1 resends in due course.
        [[maybe_unused]] const bool same =
            Tell(texts::kUpgradeFailSend, texts::kCaptionError, UserPrompts::Icon::Error);
    }
}

void TftpTransfer::FinishTransfer() {
    if (state_ != TftpState::Complete) {
        return;
    }
    EndTransfer();
    confirmation_.ConfirmUpgrade();
    emit transferEnded(true);
}

void TftpTransfer::FailTransfer() {
    const QString text = BytesText(texts::kUpgradeFailTranslate);
    EndTransfer();
    ShowUpgradeState(text);
    LogUpgradeEvent(text);
}

void TftpTransfer::LogUpgradeEvent(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    // A log that cannot be written has told the operator.
    log_.AppendUpgradeFailure(device_, TextView(bytes));
}

void TftpTransfer::CloseSocket() {
    if (socket_) {
        socket_->Close();
    }
    image_.Close();
}

void TftpTransfer::ShowUpgradeState(const QString& text) {
    emit upgradeStateChanged(text);
}

QString TftpTransfer::BytesText(QLatin1String format) const {
    return QString(format).arg(upgrade_.UpgradeBytesSent).arg(counters_.FirmwareFileSize);
}

} // namespace fenwick
