// The TFTP write of a firmware image to the device being upgraded (RFC 1350, "octet" mode, one
// 512-byte block outstanding at a time), as a state machine on the event loop: a datagram on
// its socket, a tick of timer 1 (data) or timer 2 (write request), the end of the pause after
// the final acknowledgement, and the operator's cancel each have one handler.
//
// Differences from RFC 1350 the devices rely on: every packet goes to port 69 of the device,
// never to the port it answers from; the local port is fixed; no error packet is ever sent; the
// file name is the local path of the image. Acknowledgements and errors are taken only from
// the device's address (from any port, since devices answer from another one): any other host
// on the segment could otherwise skip blocks of an image or abort an upgrade.
//
// The image is the file opened when "Start" was pressed (FirmwareImage), read from that open file
// for the whole transfer; FirmwarePath only names it in the write request.
//
// Every handler first checks that the transfer is in a state it may act in, and every way a
// transfer ends goes through EndTransfer, so that nothing of one transfer (a final block number,
// a timer, the socket) is left for the next. A box runs a nested event loop in which the
// transfer can end or move on: a handler shows its box last, or checks again after it.
#pragma once

#include "core/firmware/firmware_image.h"
#include "core/monitor/event_log.h"
#include "core/ports/datagram_socket.h"
#include "core/ports/timers.h"
#include "core/state/upgrade_values.h"
#include "core/support/unstacked_boxes.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace fenwick {

class UpgradeConfirmation;

enum class TftpState {
    Idle,       // no socket, no timers
    Requesting, // the write request is out; timer 2 repeats it
    Sending,    // block LastBlockSent is out; timer 1 repeats it
    Complete,   // the final block is acknowledged; the pause before FinishTransfer runs
};

class TftpTransfer final : public QObject {
    Q_OBJECT

public:
    static constexpr std::uint16_t kLocalPort = 64517;
    static constexpr std::uint16_t kDevicePort = 69;
    static constexpr int kTickMilliseconds = 1000; // timers 1 and 2
    // Retry policy: each timer lets one tick pass after a send and resends on the next. The
    // write request is resent 5 times, "Device not found" coming with the fifth; a data block
    // is resent 5 times, and the transfer fails on the second tick after the fifth.
    static constexpr int kRequestRetransmissions = 5;
    static constexpr int kDataRetransmissions = 5;
    // The device writes the image after the final acknowledgement; the window waits this long
    // before it closes and the confirmation begins.
    static constexpr int kCompletionPauseMilliseconds = 5000;
    // A device's error text is used up to this many characters (with the reboot notice it
    // fits the box's 100-character text).
    static constexpr std::size_t kErrorTextLimit = 45;

    // Reads UpgradeTargetIp and FirmwarePath from `state` and keeps UpgradeBytesSent there; a
    // completed transfer hands over to `confirmation`.
    TftpTransfer(UpgradeValues& upgrade, UnstackedBoxes& boxes, DatagramSocketFactory& sockets,
                 Timers& timers, EventLog& log, UpgradeConfirmation& confirmation,
                 QObject* parent = nullptr);
    ~TftpTransfer() override;

    // Takes the image opened at "Start", opens the socket on kLocalPort, starts timer 2 and
    // sends the write request to UpgradeTargetIp. false after "Creat tftp socket error", "Bind
    // tftps socket error" (also while another program holds the port) or "Write request send
    // error", and while a transfer already runs; nothing then runs.
    [[nodiscard]] bool StartTftpTransfer(FirmwareImage image);
    // Clears the data side of the transfer (the write request's retry count is kept for the
    // run of the program); called when the upgrade window opens.
    void ResetTransferState();
    // The operator cancels or closes the window: socket closed, timers stopped, nothing more
    // sent, UpgradeBytesSent 0. Ignored during the pause after the final acknowledgement: the
    // device is writing the image and the confirmation must follow.
    void Cancel();

    TftpState State() const { return state_; }

signals:
    // The transfer has begun (true) or has ended, whichever way (false).
    void runningChanged(bool running);
    // The text for the Upgrade State field.
    void upgradeStateChanged(const QString& text);
    // A block has gone out for the first time: `sent` of the image's `size` bytes.
    void progressChanged(quint32 sent, quint32 size);
    // The final block is acknowledged: the window ignores input for the pause that follows.
    void finalAcknowledged();
    // The window is to close: after the pause (`completed`, the confirmation has begun) or
    // after a device's error packet (not completed, nothing follows).
    void transferEnded(bool completed);

private:
    // The transfer's counters, named as the behaviour describes them.
    struct Counters {
        std::uint32_t FirmwareFileSize = 0; // the image's size, fixed at "Start"
        std::uint16_t LastBlockSent = 0;
        std::optional<std::uint16_t> FinalBlock; // once the short block has been sent
        int DataRetries = 0;       // data resends since the last acknowledgement of any block
        bool DataTickSeen = false; // timer 1 has ticked once since the last send
        int RequestRetries = 0;
        bool RequestTickSeen = false; // cleared only when the write request is acknowledged
    };

    void OnDatagram();
    void OnDataTick();    // timer 1
    void OnRequestTick(); // timer 2
    void OnAcknowledgement(std::uint16_t block);
    void OnDeviceError(std::string_view text);
    [[nodiscard]] bool SendWriteRequest();
    // Reads and sends block `acknowledged` + 1.
    void SendNextBlock(std::uint16_t acknowledged);
    void SendDataPacket(std::span<const std::uint8_t> data, std::uint16_t block);
    void FinishTransfer();
    void FailTransfer();
    // Every end of a transfer: timers stopped, socket and image closed, the transfer's values
    // cleared, Idle.
    void EndTransfer();
    // Shows a box; false when the transfer ended or another began while it was open.
    [[nodiscard]] bool Tell(const QString& text, const QString& caption, UserPrompts::Icon icon);
    void LogUpgradeEvent(const QString& text);
    void CloseSocket();
    void ShowUpgradeState(const QString& text);
    QString BytesText(QLatin1String format) const;

    UpgradeValues& upgrade_;
    UnstackedBoxes& boxes_;
    DatagramSocketFactory& sockets_;
    EventLog& log_;
    UpgradeConfirmation& confirmation_;
    std::unique_ptr<DatagramSocket> socket_;
    FirmwareImage image_;
    std::unique_ptr<Timer> dataTimer_;    // timer 1
    std::unique_ptr<Timer> requestTimer_; // timer 2
    std::unique_ptr<Timer> pause_;
    TftpState state_ = TftpState::Idle;
    std::uint64_t transferNumber_ = 0; // counts starts and ends, so that a box can tell
    std::uint32_t device_ = 0;         // UpgradeTargetIp as the transfer started
    Counters counters_;
};

} // namespace fenwick
