#include "upgrade_confirmation.h"

#include "core/firmware/firmware_texts.h"
#include "core/protocol/discovery_service.h"
#include "core/protocol/protocol_sockets.h"

namespace fenwick {

UpgradeConfirmation::UpgradeConfirmation(ReplyContext& reply, UnstackedBoxes& boxes, Timers& timers,
                                         DiscoveryService& discovery, ProtocolSockets& sockets)
    : reply_(reply), boxes_(boxes), discovery_(discovery), sockets_(sockets),
      restartWait_(timers.Create(Timers::Kind::SingleShot, [this] { SendDiscovery(); })),
      answerWait_(timers.Create(Timers::Kind::SingleShot, [this] { TellResult(); })) {}

UpgradeConfirmation::~UpgradeConfirmation() = default;

void UpgradeConfirmation::ConfirmUpgrade() {
    SetFieldText(reply_.ConfirmationTargetMac, FieldText(reply_.UpgradeTargetMac));
    answerWait_->Stop();
    restartWait_->Start(kRestartWaitMilliseconds);
}

bool UpgradeConfirmation::Pending() const {
    return restartWait_->IsActive() || answerWait_->IsActive();
}

void UpgradeConfirmation::SendDiscovery() {
    // Only an answer to this discovery confirms the upgrade.
    reply_.UpgradeConfirmed = 0;
    if (discovery_.SendRequest(sockets_.BroadcastSocket(),
                               DiscoveryService::Counting::NotCounted)) {
        answerWait_->Start(kAnswerWaitMilliseconds);
    }
}

void UpgradeConfirmation::TellResult() {
    if (reply_.UpgradeConfirmed == 1) {
        boxes_.Show(texts::kUpgradeSuccessful, texts::kCaptionUpgradeResult,
                    UserPrompts::Icon::Information);
    } else {
        boxes_.Show(texts::kUpgradeFail, texts::kCaptionUpgradeResult, UserPrompts::Icon::Warning);
    }
}

} // namespace fenwick
