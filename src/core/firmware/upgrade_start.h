// "Start" in the upgrade window: the password and image checks, the trigger to the device, the
// two seconds in which its acknowledgement may come, then the transfer. The wait is a timer, so
// the main window goes on receiving replies (the acknowledgement among them) meanwhile; the
// upgrade window ignores input until it ends.
#pragma once

#include "core/firmware/firmware_image.h"
#include "core/ports/timers.h"
#include "core/ports/user_prompts.h"
#include "core/state/program_state.h"

#include <QObject>
#include <QString>
#include <memory>

namespace fenwick {

class ProtocolSockets;
class TftpTransfer;

class UpgradeStart final : public QObject {
    Q_OBJECT

public:
    static constexpr int kAcknowledgementWaitMilliseconds = 2000;
    // FirmwarePath's field holds this many bytes of a path.
    static constexpr qsizetype kMaxPathBytes = sizeof(UpgradeValues::FirmwarePath) - 1;

    // `windowPrompts` are the upgrade window's boxes.
    UpgradeStart(ProgramState& state, UserPrompts& windowPrompts, ProtocolSockets& sockets,
                 Timers& timers, TftpTransfer& transfer, QObject* parent = nullptr);
    ~UpgradeStart() override;

    // "Start" with the Password and Firmware Path fields' texts. Does nothing while the wait
    // runs or a transfer is under way: there is one transfer port and one set of upgrade values.
    // The image is opened here, and that open file is what the transfer sends.
    void OnStart(const QString& password, const QString& firmwarePath);
    // "Browse": asks for an image; the chosen path, or the empty text when the operator
    // cancels, becomes FirmwarePath and is returned for the Firmware Path field. While the wait
    // or a transfer runs it asks nothing and returns the path in use.
    QString OnBrowse();

    // FirmwarePath as the Firmware Path field shows it.
    QString PathInUse() const;
    // The device the upgrade is for, as the window shows it.
    QString TargetIpText() const;
    QString TargetMacText() const;
    // The transfer that follows the wait, which the window follows and cancels.
    TftpTransfer& Transfer() { return transfer_; }

    bool Waiting() const { return waiting_; }
    // The wait or a transfer runs: the image and the path are fixed.
    bool Busy() const;

signals:
    // The text for the Upgrade State field.
    void upgradeStateChanged(const QString& text);
    // The acknowledgement wait begins (true) or ends (false).
    void waitingChanged(bool waiting);

private:
    void OnWaitEnded();
    [[nodiscard]] bool OpenImage(const QString& firmwarePath);
    [[nodiscard]] bool SendTrigger(const QByteArray& password);
    void ShowError(const QString& text);

    ProgramState& state_;
    UserPrompts& prompts_;
    ProtocolSockets& sockets_;
    TftpTransfer& transfer_;
    std::unique_ptr<Timer> wait_;
    FirmwareImage image_; // opened at "Start", handed to the transfer after the wait
    bool waiting_ = false;
};

} // namespace fenwick
