// After a completed transfer the device writes the image and restarts. The confirmation gives
// it time, then runs a discovery (which empties and refills the Discovery List, as the
// operator's does, but is not counted as a request to the monitored devices) and tells the
// operator whether the upgraded device, known by its MAC address, answered. It confirms the
// device that was the upgrade's target when the transfer completed; while it waits, no other
// upgrade may be launched (there is one flag for the answer and one result box to come).
#pragma once

#include "codec/reply_checks.h"
#include "core/ports/timers.h"
#include "core/support/unstacked_boxes.h"

#include <memory>

namespace fenwick {

class DiscoveryService;
class ProtocolSockets;

class UpgradeConfirmation {
public:
    static constexpr int kRestartWaitMilliseconds = 12000;
    static constexpr int kAnswerWaitMilliseconds = 2000;

    UpgradeConfirmation(ReplyContext& reply, UnstackedBoxes& boxes, Timers& timers,
                        DiscoveryService& discovery, ProtocolSockets& sockets);
    ~UpgradeConfirmation();

    // Begins the wait for the restart of UpgradeTargetMac's device.
    void ConfirmUpgrade();
    // From ConfirmUpgrade until the result is told (or the discovery could not be sent).
    bool Pending() const;

private:
    void SendDiscovery();
    void TellResult();

    ReplyContext& reply_;
    UnstackedBoxes& boxes_;
    DiscoveryService& discovery_;
    ProtocolSockets& sockets_;
    std::unique_ptr<Timer> restartWait_;
    std::unique_ptr<Timer> answerWait_;
};

} // namespace fenwick
