#include "tftp_transfer.h"

#include "codec/device_record.h"
#include "codec/tftp_packets.h"
#include "core/app/latin1.h"
#include "core/firmware/firmware_texts.h"
#include "core/firmware/upgrade_confirmation.h"

#include <QByteArray>
#include <array>

namespace fenwick {

TftpTransfer::TftpTransfer(ProgramState& state, UnstackedBoxes& boxes,
                           DatagramSocketFactory& sockets, Timers& timers, EventLog& log,
                           UpgradeConfirmation& confirmation, QObject* parent)
    : QObject(parent), program_(state), boxes_(boxes), sockets_(sockets), log_(log),
      confirmation_(confirmation),
      dataTimer_(timers.Create(Timers::Kind::Periodic, [this] { OnDataTick(); })),
      requestTimer_(timers.Create(Timers::Kind::Periodic, [this] { OnRequestTick(); })),
      pause_(timers.Create(Timers::Kind::SingleShot, [this] { FinishTransfer(); })) {}

TftpTransfer::~TftpTransfer() = default;

bool TftpTransfer::StartTftpTransfer() {
    std::unique_ptr<DatagramSocket> socket = sockets_.Create();
    if (!socket) {
        boxes_.Show(texts::kCreatTftpSocketError, texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    if (socket->Bind(kLocalPort) != 0) {
        boxes_.Show(texts::kBindTftpsSocketError, texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    socket_ = std::move(socket);
    socket_->SetReadyCallback([this] { OnDatagram(); });
    device_ = program_.Upgrade.UpgradeTargetIp;
    state_ = TftpState::Requesting;
    requestTimer_->Start(kTickMilliseconds);
    if (!SendWriteRequest()) {
        // Nothing went out: the window stays idle for another "Start".
        requestTimer_->Stop();
        CloseSocket();
        state_ = TftpState::Idle;
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
    dataTimer_->Stop();
    requestTimer_->Stop();
    CloseSocket();
    ResetTransferState();
    program_.Upgrade.UpgradeBytesSent = 0;
    state_ = TftpState::Idle;
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
        state_ = TftpState::Sending;
    }
    if (counters_.FinalBlock == block) {
        state_ = TftpState::Complete;
        dataTimer_->Stop();
        program_.Upgrade.UpgradeBytesSent = 0;
        emit finalAcknowledged();
        pause_->Start(kCompletionPauseMilliseconds);
    } else if (block == counters_.LastBlockSent) {
        SendNextBlock(block);
    }
    // Anything else is a duplicate or stale acknowledgement: nothing is sent.
}

void TftpTransfer::OnDeviceError(std::string_view text) {
    const std::string_view used = text.substr(0, kErrorTextLimit);
    dataTimer_->Stop();
    requestTimer_->Stop();
    LogUpgradeEvent(Latin1(used));
    // Closed before the box opens, so that nothing arriving while it is open resumes the
    // transfer.
    CloseSocket();
    ResetTransferState();
    program_.Upgrade.UpgradeBytesSent = 0;
    state_ = TftpState::Idle;
    boxes_.Show(Latin1(used) + texts::kRebootNotice, texts::kCaptionUpgradeFail,
                UserPrompts::Icon::Error);
    ShowUpgradeState(texts::kUpgradeStateCleared);
    emit transferEnded(false);
}

void TftpTransfer::OnDataTick() {
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
    if (!counters_.RequestTickSeen) {
        counters_.RequestTickSeen = true;
        return;
    }
    // A failed resend has told the operator; the next tick tries again.
    [[maybe_unused]] const bool sent = SendWriteRequest();
    ++counters_.RequestRetries;
    if (counters_.RequestRetries >= kRequestRetransmissions) {
        // RequestTickSeen stays set: a later try resends on its first tick.
        requestTimer_->Stop();
        ShowUpgradeState(texts::kDeviceNotFound);
        CloseSocket();
        counters_.RequestRetries = 0;
        state_ = TftpState::Idle;
    }
}

bool TftpTransfer::SendWriteRequest() {
    TftpWriteRequestBuffer buffer;
    const std::span<const std::uint8_t> request =
        BuildTftpWriteRequest(buffer, FieldText(program_.Upgrade.FirmwarePath));
    counters_.DataTickSeen = false;
    if (socket_->SendTo(request, device_, kDevicePort) != 0) {
        boxes_.Show(texts::kWriteRequestSendError, texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    return true;
}

void TftpTransfer::SendNextBlock(std::uint16_t acknowledged) {
    std::array<std::uint8_t, kTftpBlockSize> data{};
    const std::optional<std::size_t> count =
        image_.ReadBlock(FieldText(program_.Upgrade.FirmwarePath),
                         qint64{acknowledged} * qint64{kTftpBlockSize}, data);
    if (!count) {
        boxes_.Show(texts::kOpenFirmwareFileError, texts::kCaptionError, UserPrompts::Icon::Error);
        return;
    }
    counters_.FirmwareFileSize = static_cast<std::uint32_t>(image_.Size());
    if (acknowledged == 0) {
        dataTimer_->Start(kTickMilliseconds);
    }
    if (counters_.DataRetries == 0) { // a first send, not a resend
        program_.Upgrade.UpgradeBytesSent += static_cast<std::uint32_t>(*count);
        emit progressChanged(program_.Upgrade.UpgradeBytesSent, counters_.FirmwareFileSize);
    }
    const auto block = static_cast<std::uint16_t>(acknowledged + 1);
    counters_.LastBlockSent = block;
    SendDataPacket(std::span<const std::uint8_t>(data).first(*count), block);
    if (*count < kTftpBlockSize) {
        counters_.FinalBlock = block;
        ShowUpgradeState(BytesText(texts::kUpgradeComplete));
    } else if (acknowledged != 0) {
        ShowUpgradeState(BytesText(texts::kUpgradeProgress));
    }
}

void TftpTransfer::SendDataPacket(std::span<const std::uint8_t> data, std::uint16_t block) {
    TftpDataBuffer buffer;
    const std::span<const std::uint8_t> packet = BuildTftpData(buffer, block, data);
    counters_.DataTickSeen = false;
    if (socket_->SendTo(packet, device_, kDevicePort) != 0) {
        // Timer 1 resends in due course.
        boxes_.Show(texts::kUpgradeFailSend, texts::kCaptionError, UserPrompts::Icon::Error);
    }
}

void TftpTransfer::FinishTransfer() {
    counters_.LastBlockSent = 0;
    counters_.FinalBlock.reset();
    CloseSocket();
    state_ = TftpState::Idle;
    confirmation_.ConfirmUpgrade();
    emit transferEnded(true);
}

void TftpTransfer::FailTransfer() {
    dataTimer_->Stop();
    const QString text = BytesText(texts::kUpgradeFailTranslate);
    ShowUpgradeState(text);
    CloseSocket();
    LogUpgradeEvent(text);
    program_.Upgrade.UpgradeBytesSent = 0;
    counters_.FinalBlock.reset();
    counters_.DataRetries = 0;
    counters_.LastBlockSent = 0;
    state_ = TftpState::Idle;
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
    return QString(format).arg(program_.Upgrade.UpgradeBytesSent).arg(counters_.FirmwareFileSize);
}

} // namespace fenwick
