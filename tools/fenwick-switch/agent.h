// One simulated switch's agent: request bytes in, reply bytes and state changes out. No sockets
// here; the caller says how the request arrived and sends what comes back.
#pragma once

#include "codec/device_record.h"
#include "switch_settings.h"
#include "tftp_server.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace fenwick::sim {

// The settings as the manager's record holds them (names and addresses), so that the codec's
// body parser can lay a set request over them: the fields the request carries replace these,
// the others stay.
DeviceRecord RecordOf(const SwitchSettings& settings);

enum class Reception {
    Unicast,   // sent to this switch's own address
    Broadcast, // sent to a broadcast address every switch hears
};

enum class AgentEvent {
    None,
    AddressChanged,   // a set gave the switch a new IP address
    UpgradeTriggered, // an upgrade trigger was accepted; the firmware transfer follows
};

struct AgentAnswer {
    std::vector<std::uint8_t> reply; // empty: the request draws no answer
    AgentEvent event = AgentEvent::None;
};

class Agent {
public:
    Agent(const SwitchSettings& settings, std::uint32_t agentKey)
        : settings_(settings), agentKey_(agentKey), tftp_(settings.lossSeed) {}

    // Requests with another agent key or a direction other than 0 are not answered, nor is
    // anything while the switch is silent or restarting.
    AgentAnswer Handle(std::span<const std::uint8_t> request, Reception reception);

    // A datagram for this switch's TFTP server. When it completes an image the switch restarts:
    // silent until `now` plus its restart delay.
    TftpResult HandleTftp(const TftpIncoming& datagram, SteadyTime now);
    // When the running restart ends, if one runs.
    std::optional<SteadyTime> RestartEnds() const { return restartEnds_; }
    // Ends the restart once its time has come, out of the boot loader if it was in it; returns
    // whether it did.
    bool FinishRestart(SteadyTime now);

    TftpServer& Tftp() { return tftp_; }
    const TftpServer& Tftp() const { return tftp_; }

    // A trap (code 9): the switch's address and the text with a terminating zero, the text cut
    // so that the datagram fits the manager's 1500-byte receive buffer.
    std::vector<std::uint8_t> BuildTrap(std::string_view text) const;

    const SwitchSettings& Settings() const { return settings_; }
    SwitchSettings& Settings() { return settings_; }

private:
    std::vector<std::uint8_t> Reply(std::uint16_t code, std::uint16_t sequence,
                                    std::uint8_t errorCode, bool withInformation) const;
    AgentAnswer Set(std::uint16_t replyCode, std::uint16_t sequence,
                    std::span<const std::uint8_t> body);
    AgentAnswer Trigger(std::uint16_t sequence, std::span<const std::uint8_t> body) const;

    SwitchSettings settings_;
    std::uint32_t agentKey_;
    TftpServer tftp_;
    std::optional<SteadyTime> restartEnds_;
};

} // namespace fenwick::sim
