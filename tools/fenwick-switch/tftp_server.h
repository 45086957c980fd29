// One switch's TFTP server for firmware upgrades: datagrams in, datagrams and log lines out. No
// sockets and no clock here: the runner says where a datagram arrived and when, and sends what
// comes back from the port named.
//
// It takes a write request in octet mode on port 69 and answers from port 69, or from the
// transfer port (TftpAnswerPort::Other) while still taking data on 69: a manager that sends
// everything to port 69 and an RFC 1350 client that follows the answering port both work. It
// never retransmits on its own: the client's retransmissions drive it, and each duplicate data
// block is acknowledged again without being stored twice (so a client that sends the next block
// on every acknowledgement cannot start the sorcerer's apprentice). After the final
// acknowledgement the switch restarts; meanwhile the server answers nothing but a repeat of that
// final block, which it acknowledges again (RFC 1350 section 6: the last acknowledgement may be
// lost).
#pragma once

#include "packet_loss.h"
#include "switch_settings.h"
#include "tftp_packet.h"
#include "trap_pacing.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace fenwick::sim {

// Images larger than this are refused with "disk full"; a manager's 16-bit block numbers end
// at 32 MiB anyway.
inline constexpr std::size_t kMaxImageBytes = 64u << 20;

enum class TftpPort {
    Server,   // port 69
    Transfer, // the port transfers are answered from in TftpAnswerPort::Other
};

struct TftpIncoming {
    std::span<const std::uint8_t> bytes;
    std::uint32_t source = 0; // host order
    std::uint16_t sourcePort = 0;
    TftpPort arrivedOn = TftpPort::Server;
};

struct TftpOutgoing {
    TftpPort from = TftpPort::Server;
    std::uint32_t destination = 0;
    std::uint16_t port = 0;
    std::vector<std::uint8_t> bytes;

    bool operator==(const TftpOutgoing&) const = default;
};

// Packets since the last accepted write request.
struct TftpCounts {
    std::uint64_t received = 0;        // that reached the server, lost ones included
    std::uint64_t receivedDropped = 0; // lost on purpose
    std::uint64_t sent = 0;            // that the server sent, lost ones included
    std::uint64_t sentDropped = 0;
    std::uint64_t duplicates = 0; // data blocks and write requests that came again

    bool operator==(const TftpCounts&) const = default;
};

struct ReceivedImage {
    std::vector<std::uint8_t> bytes;
    std::string fileName;
    std::uint32_t client = 0;
    std::uint16_t clientPort = 0;
    bool afterTrigger = false; // an upgrade trigger had been accepted before its write request
    std::chrono::nanoseconds elapsed{}; // from the write request to the final acknowledgement
};

struct TftpResult {
    std::vector<TftpOutgoing> packets;
    std::vector<std::string> notes; // lines for the switch's log
    bool completed = false;         // the final block was acknowledged: the switch restarts
};

class TftpServer {
public:
    explicit TftpServer(std::uint32_t lossSeed = 1) : loss_(lossSeed) {}

    // `settings` are the switch's: silence, the answer port, the error to answer with, the
    // loss and whether it is restarting.
    TftpResult Handle(const TftpIncoming& datagram, const SwitchSettings& settings, SteadyTime now);

    // An upgrade trigger was accepted: noted on the next write request.
    void NoteTrigger() { triggerSeen_ = true; }
    // Starts the loss draws afresh.
    void SeedLoss(std::uint32_t seed) { loss_ = PacketLoss(seed); }
    // The restart is over: the final block is no longer acknowledged again.
    void EndRestart() { dally_.reset(); }

    // The last complete image, if any.
    const std::optional<ReceivedImage>& Image() const { return image_; }
    const TftpCounts& Counts() const { return counts_; }
    // "idle", "receiving N bytes from IP:PORT" or "restarting".
    std::string StateText() const;

private:
    struct Transfer {
        std::uint32_t client = 0;
        std::uint16_t clientPort = 0;
        TftpPort answerFrom = TftpPort::Server;
        std::string fileName;
        bool afterTrigger = false;
        SteadyTime started{};
        std::uint16_t lastAcked = 0;
        std::vector<std::uint8_t> bytes;
    };
    // The final acknowledgement, repeated while the switch restarts.
    struct Dally {
        std::uint32_t client = 0;
        std::uint16_t clientPort = 0;
        TftpPort answerFrom = TftpPort::Server;
        std::uint16_t block = 0;
    };

    void Request(const TftpIncoming& in, const SwitchSettings& settings, SteadyTime now,
                 TftpResult& result);
    void Data(const TftpIncoming& in, const SwitchSettings& settings, SteadyTime now,
              TftpResult& result);
    void ClientError(const TftpIncoming& in, TftpResult& result);
    void Repeat(const TftpIncoming& in, const SwitchSettings& settings, TftpResult& result);
    void Complete(const SwitchSettings& settings, SteadyTime now, TftpResult& result);
    // Sends unless the loss draw takes it.
    void Send(TftpPort from, std::uint32_t destination, std::uint16_t port,
              std::vector<std::uint8_t> bytes, const SwitchSettings& settings, TftpResult& result);
    void Refuse(const TftpIncoming& in, TftpPort from, std::uint16_t code, const std::string& text,
                const SwitchSettings& settings, TftpResult& result);

    PacketLoss loss_;
    bool triggerSeen_ = false;
    std::optional<Transfer> transfer_;
    std::optional<Dally> dally_;
    std::optional<ReceivedImage> image_;
    TftpCounts counts_;
};

} // namespace fenwick::sim
