#include "upgrade_start.h"

#include "codec/text_forms.h"
#include "codec/upgrade_trigger.h"
#include "core/config/config_texts.h"
#include "core/firmware/firmware_texts.h"
#include "core/firmware/tftp_transfer.h"
#include "core/protocol/protocol_sockets.h"
#include "core/support/latin1.h"
#include "core/support/support_texts.h"

#include <QByteArray>
#include <QFile>

namespace fenwick {
UpgradeStart::UpgradeStart(ProgramState& state, UserPrompts& windowPrompts,
                           ProtocolSockets& sockets, Timers& timers, TftpTransfer& transfer,
                           QObject* parent)
    : QObject(parent), state_(state), prompts_(windowPrompts), sockets_(sockets),
      transfer_(transfer),
      wait_(timers.Create(Timers::Kind::SingleShot, [this] { OnWaitEnded(); })) {}

UpgradeStart::~UpgradeStart() = default;

void UpgradeStart::OnStart(const QString& password, const QString& firmwarePath) {
    if (Busy()) {
        return;
    }
    if (password.isEmpty() || password.size() > qsizetype{kMaxTriggerPasswordLength}) {
        ShowError(texts::kPasswordLengths);
        return;
    }
    if (!OpenImage(firmwarePath)) {
        return;
    }
    SetFieldText(state_.Upgrade.FirmwarePath, TextView(QFile::encodeName(firmwarePath)));
    // Only an acknowledgement of this trigger lets the transfer begin; one left from an earlier
    // attempt (refused for its password, say) must not.
    state_.Reply.TriggerAcknowledged = 0;
    if (!SendTrigger(password.toLatin1())) {
        image_.Close();
        return;
    }
    waiting_ = true;
    emit upgradeStateChanged(texts::kWait);
    emit waitingChanged(true);
    wait_->Start(kAcknowledgementWaitMilliseconds);
}

bool UpgradeStart::Busy() const {
    return waiting_ || transfer_.State() != TftpState::Idle;
}

QString UpgradeStart::OnBrowse() {
    if (Busy()) {
        return PathInUse();
    }
    const QString chosen = prompts_.OpenFileName(texts::kHexFileFilter, texts::kHexFileName);
    if (Busy()) {
        return PathInUse(); // an upgrade began while the dialog was open: its image stays
    }
    const QByteArray path = QFile::encodeName(chosen);
    // A path too long for the field is refused by "Start" with its reason.
    SetFieldText(state_.Upgrade.FirmwarePath, path.size() <= kMaxPathBytes ? TextView(path) : "");
    return chosen;
}

QString UpgradeStart::PathInUse() const {
    const std::string_view path = FieldText(state_.Upgrade.FirmwarePath);
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QString UpgradeStart::TargetIpText() const {
    return Latin1(AddressText(state_.Upgrade.UpgradeTargetIp));
}

QString UpgradeStart::TargetMacText() const {
    return Latin1(FieldText(state_.Reply.UpgradeTargetMac));
}

void UpgradeStart::OnWaitEnded() {
    waiting_ = false;
    emit waitingChanged(false);
    if (state_.Reply.TriggerAcknowledged != 1) {
        image_.Close();
        emit upgradeStateChanged(texts::kTriggerFail);
        return;
    }
    // A transfer that could not start has told the operator; the next "Start" sends a new
    // trigger.
    if (transfer_.StartTftpTransfer(std::move(image_))) {
        state_.Reply.TriggerAcknowledged = 0;
    }
}

bool UpgradeStart::OpenImage(const QString& firmwarePath) {
    const QByteArray path = QFile::encodeName(firmwarePath);
    // A cut path would name another file, or none: the image sent must be the one chosen.
    if (path.size() > kMaxPathBytes) {
        ShowError(QString(texts::kFirmwarePathTooLong).arg(kMaxPathBytes));
        return false;
    }
    switch (image_.Open(TextView(path))) {
    case ImageOpening::Opened:
        return true;
    case ImageOpening::NotFound:
        ShowError(texts::kFirmwareFileNotFound);
        return false;
    case ImageOpening::NotRegularFile:
        ShowError(texts::kFirmwareNotRegularFile);
        return false;
    case ImageOpening::Empty:
        ShowError(texts::kFirmwareFileEmpty);
        return false;
    case ImageOpening::TooLarge:
        ShowError(QString(texts::kFirmwareFileTooLarge).arg(FirmwareImage::kMaxSize));
        return false;
    }
    return false;
}

bool UpgradeStart::SendTrigger(const QByteArray& password) {
    // The device the window shows, whatever has been chosen or discovered since it opened.
    const std::string_view mac = FieldText(state_.Reply.UpgradeTargetMac);
    TriggerBuffer buffer;
    const std::span<const std::uint8_t> trigger = BuildUpgradeTrigger(
        buffer, state_.Protocol.AgentKey, mac, state_.Reply.SetSequence, TextView(password));
    if (trigger.empty()) {
        ShowError(QString(texts::kMacNotValid).arg(Latin1(mac)));
        return false;
    }
    // A Discovery List device may not be reachable at its address; it knows itself by the MAC
    // address in the header.
    const bool unicast = state_.Upgrade.UpgradeTargetInMonitor;
    DatagramSocket* socket = unicast ? sockets_.UnicastSocket() : sockets_.BroadcastSocket();
    if (socket == nullptr ||
        socket->SendTo(trigger, unicast ? state_.Upgrade.UpgradeTargetIp : kLimitedBroadcast,
                       state_.Protocol.AgentPort) != 0) {
        ShowError(texts::kUpgradeTriggerSendError);
        return false;
    }
    return true;
}

void UpgradeStart::ShowError(const QString& text) {
    prompts_.MessageBox(text, texts::kCaptionError, UserPrompts::Icon::Error);
}

} // namespace fenwick
