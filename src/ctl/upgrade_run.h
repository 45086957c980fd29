// One device's upgrade from a script, as the upgrade window runs it: chosen from the Discovery
// List, "Start" with the password and the image, the trigger's wait, the transfer, and the
// confirmation that the device came back.
#pragma once

#include <QString>

namespace fenwick::ctl {

class CtlSession;

struct UpgradeResult {
    bool ok = false;
    QString reason; // why it failed, as the core told it; empty when ok
};

// Upgrades the device of Discovery List row `row` with the image at `imagePath`; returns once
// its confirmation has told the result, or the upgrade ended short of one.
UpgradeResult UpgradeDevice(CtlSession& session, int row, const QString& password,
                            const QString& imagePath, const QString& shownName);

} // namespace fenwick::ctl
