// What one simulated switch is, and what a whole simulated network shares.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fenwick::sim {

// Text limits of the fields the manager keeps (DeviceRecord), so that whatever a switch reports
// and whatever a set request brings back fit the same way.
inline constexpr std::size_t kMaxProductLength = 40;
inline constexpr std::size_t kMaxShortTextLength = 20;

// Error codes an agent puts in the low 4 bits of Status.
inline constexpr std::uint8_t kErrorNone = 0;
inline constexpr std::uint8_t kErrorPassword = 2;
inline constexpr std::uint8_t kErrorParameters = 4;
inline constexpr std::uint8_t kMaxErrorCode = 15;

// The firmware upgrade: how long a switch stays silent after an image has been written. The
// manager looks for it again 17 to 19 seconds after the final acknowledgement, so the default
// lets an upgrade be confirmed.
inline constexpr std::uint32_t kDefaultRestartSeconds = 5;
inline constexpr std::uint32_t kMaxRestartSeconds = 3600;
// An error text may be far longer than what a manager keeps of it, to test that bound; the
// packet still fits one Ethernet frame.
inline constexpr std::size_t kMaxTftpErrorText = 1400;

// Where a switch's TFTP server answers from: port 69, where every request and data packet is
// taken in any case, or a transfer port of its own as RFC 1350 has it.
enum class TftpAnswerPort { Server, Other };

// An error packet the TFTP server answers every write request with.
struct TftpErrorAnswer {
    std::uint16_t code = 0;
    std::string text;

    bool operator==(const TftpErrorAnswer&) const = default;
};

// Addresses and masks are host-order numbers, first dotted octet most significant.
struct SwitchSettings {
    std::uint32_t ip = 0;
    std::array<std::uint8_t, 6> mac{};
    std::string product;
    std::string systemName;
    std::string location;
    std::uint32_t subnetMask = 0;
    std::uint32_t gateway = 0;
    std::uint32_t trapReceiver = 0;
    std::string password;
    std::uint16_t protocolVersion = 2;
    std::uint16_t interfaceVersion = 1;
    // Faults on demand.
    bool silent = false;        // answers nothing and sends no traps
    bool loader = false;        // in the boot loader: code 12 instead of device information
    std::uint8_t errorCode = 0; // put into every reply; a set is then not applied
    // The firmware upgrade's TFTP server.
    bool tftp = true; // off: nothing answers on port 69
    TftpAnswerPort tftpPort = TftpAnswerPort::Server;
    std::optional<TftpErrorAnswer> tftpError; // refuse every write request with it
    std::uint32_t lossPercent = 0;            // of the TFTP packets received and sent, dropped
    std::uint32_t lossSeed = 1;
    std::uint32_t restartSeconds = kDefaultRestartSeconds;

    // Run-time state, not in the settings file: silent while restarting after an upgrade.
    bool restarting = false;

    bool operator==(const SwitchSettings&) const = default;
};

struct NetworkSettings {
    std::uint32_t agentKey = 0;
    std::uint16_t basePort = 0;
    std::vector<SwitchSettings> switches;

    // The manager listens on basePort and basePort + 1; agents listen here (16-bit arithmetic,
    // as the manager computes it).
    std::uint16_t AgentPort() const { return static_cast<std::uint16_t>(basePort + 2); }
    bool operator==(const NetworkSettings&) const = default;
};

} // namespace fenwick::sim
