#include "agent.h"

#include "agent_body.h"
#include "codec/byte_order.h"
#include "codec/device_record.h"
#include "codec/info_field.h"
#include "codec/packet_header.h"
#include "codec/validation.h"

#include <algorithm>

namespace fenwick::sim {
namespace {

// A boot loader cannot configure the switch.
inline constexpr std::uint8_t kErrorCommand = 3;

// The checks the manager's configuration window makes before it sends.
bool AcceptableAddresses(const DeviceRecord& r) {
    return CheckHostAddress(r.IpAddress) && CheckHostPart(r.IpAddress, r.SubnetMask) &&
           CheckGateway(r.IpAddress, r.Gateway, r.SubnetMask);
}

} // namespace

DeviceRecord RecordOf(const SwitchSettings& s) {
    DeviceRecord record = ZeroRecord();
    SetFieldText(record.ProductName, s.product);
    SetFieldText(record.SystemName, s.systemName);
    SetFieldText(record.Location, s.location);
    record.IpAddress = s.ip;
    record.SubnetMask = s.subnetMask;
    record.Gateway = s.gateway;
    record.TrapIp = s.trapReceiver;
    return record;
}

AgentAnswer Agent::Handle(std::span<const std::uint8_t> request, Reception reception) {
    if (request.size() < kHeaderLength || settings_.silent || settings_.restarting) {
        return {};
    }
    const PacketHeader header = DecodeHeader(request);
    if (header.AgentKey != agentKey_ || header.Direction != kDirectionRequest) {
        return {};
    }
    const std::span<const std::uint8_t> body = request.subspan(kHeaderLength);
    const bool macMatches = header.Mac == settings_.mac;
    switch (header.CommandCode) {
    case kCommandDiscovery:
    case kCommandPoll:
        if (settings_.loader) {
            return {Reply(kCommandLoaderMode, header.Sequence, settings_.errorCode, false)};
        }
        return {Reply(kCommandDeviceInfo, header.Sequence, settings_.errorCode, true)};
    case kCommandSetBroadcast:
        // Every switch hears the broadcast; only the one it names acts on it.
        return macMatches ? Set(kCommandSetBroadcastReply, header.Sequence, body) : AgentAnswer{};
    case kCommandSetUnicast:
        // Addressed by IP only: the manager may not know the MAC address of a device it added
        // by address, so the header's Mac is not checked, but a broadcast copy is not for us.
        return reception == Reception::Unicast ? Set(kCommandSetUnicastReply, header.Sequence, body)
                                               : AgentAnswer{};
    case kCommandUpgradeTrigger: {
        if (!macMatches) {
            return {};
        }
        AgentAnswer answer = Trigger(header.Sequence, body);
        if (answer.event == AgentEvent::UpgradeTriggered) {
            tftp_.NoteTrigger();
        }
        return answer;
    }
    default:
        return {};
    }
}

AgentAnswer Agent::Set(std::uint16_t replyCode, std::uint16_t sequence,
                       std::span<const std::uint8_t> body) {
    const auto refuse = [&](std::uint8_t errorCode) {
        return AgentAnswer{Reply(replyCode, sequence, errorCode, true)};
    };
    if (settings_.silentToSets) {
        return {};
    }
    if (settings_.errorCode != kErrorNone) {
        return refuse(settings_.errorCode);
    }
    if (settings_.loader) {
        return refuse(kErrorCommand);
    }
    if (FindTextField(body, kInfoPassword) != settings_.password) {
        return refuse(kErrorPassword);
    }
    const auto newPassword = FindTextField(body, kInfoNewPassword);
    if (newPassword && newPassword->size() > kMaxShortTextLength) {
        return refuse(kErrorParameters);
    }
    DeviceRecord record = RecordOf(settings_);
    ParseReplyBody(body, record);
    if (!AcceptableAddresses(record)) {
        return refuse(kErrorParameters);
    }

    const bool addressChanged = record.IpAddress != settings_.ip;
    settings_.product = FieldText(record.ProductName);
    settings_.systemName = FieldText(record.SystemName);
    settings_.location = FieldText(record.Location);
    settings_.ip = record.IpAddress;
    settings_.subnetMask = record.SubnetMask;
    settings_.gateway = record.Gateway;
    settings_.trapReceiver = record.TrapIp;
    if (newPassword) {
        settings_.password = std::string(*newPassword);
    }
    return {Reply(replyCode, sequence, kErrorNone, true),
            addressChanged ? AgentEvent::AddressChanged : AgentEvent::None};
}

AgentAnswer Agent::Trigger(std::uint16_t sequence, std::span<const std::uint8_t> body) const {
    std::uint8_t errorCode = settings_.errorCode;
    if (errorCode == kErrorNone && FindTextField(body, kInfoPassword) != settings_.password) {
        errorCode = kErrorPassword;
    }
    // A switch in its boot loader takes an upgrade like any other.
    return {Reply(kCommandUpgradeTriggerReply, sequence, errorCode, true),
            errorCode == kErrorNone ? AgentEvent::UpgradeTriggered : AgentEvent::None};
}

std::vector<std::uint8_t> Agent::Reply(std::uint16_t code, std::uint16_t sequence,
                                       std::uint8_t errorCode, bool withInformation) const {
    PacketHeader header;
    header.ProtocolVersion = settings_.protocolVersion;
    header.Direction = kDirectionReply;
    header.Mac = settings_.mac;
    header.InterfaceVersion = settings_.interfaceVersion;
    header.CommandCode = code;
    header.Status = errorCode & 0x0F;
    header.AgentKey = agentKey_;
    header.Sequence = sequence;
    std::vector<std::uint8_t> reply(kHeaderLength);
    EncodeHeader(header, std::span<std::uint8_t, kHeaderLength>(reply.data(), kHeaderLength));
    if (withInformation) {
        AppendInformation(reply, settings_);
    }
    return reply;
}

TftpResult Agent::HandleTftp(const TftpIncoming& datagram, SteadyTime now) {
    TftpResult result = tftp_.Handle(datagram, settings_, now);
    if (result.completed) {
        settings_.restarting = true;
        restartEnds_ = now + std::chrono::seconds(settings_.restartSeconds);
    }
    return result;
}

bool Agent::FinishRestart(SteadyTime now) {
    if (!restartEnds_ || now < *restartEnds_) {
        return false;
    }
    restartEnds_.reset();
    settings_.restarting = false;
    // A switch upgraded from its boot loader starts the new firmware: it answers discovery
    // with its information again, which is what the manager's confirmation looks for.
    settings_.loader = false;
    tftp_.EndRestart();
    return true;
}

std::vector<std::uint8_t> Agent::BuildTrap(std::string_view text) const {
    // A switch with an error code set sends it in its traps too, as a faulty agent would.
    std::vector<std::uint8_t> trap = Reply(kCommandTrap, 0, settings_.errorCode, false);
    const std::size_t at = trap.size();
    const std::size_t room = kMaxDatagramLength - at - 4 - 1;
    text = text.substr(0, std::min(text.size(), room));
    trap.resize(at + 4);
    StoreBe32(&trap[at], settings_.ip);
    trap.insert(trap.end(), text.begin(), text.end());
    trap.push_back(0);
    return trap;
}

} // namespace fenwick::sim
