#include "reply_checks.h"

#include "packet_header.h"
#include "reply_texts.h"
#include "text_forms.h"

namespace fenwick {

ReplyVerdict CheckReplyHeader(std::span<const std::uint8_t> datagram, std::uint32_t sourceIp,
                              ReplyContext& context, DeviceRecord& record) {
    if (datagram.size() > kMaxDatagramLength) {
        datagram = datagram.first(kMaxDatagramLength);
    }
    const PacketHeader header = DecodeHeader(datagram);
    ReplyVerdict verdict;
    verdict.errorCode = header.Status & 0x0F;
    if (datagram.size() > kHeaderLength) {
        verdict.body = datagram.subspan(kHeaderLength);
    }

    SetFieldText(record.MacText, MacText(header.Mac));
    if (header.AgentKey != context.AgentKey) {
        return verdict;
    }
    record.ProtocolVersion = header.ProtocolVersion;
    record.InterfaceVersion = header.InterfaceVersion;
    record.Direction = header.Direction;
    if (header.Direction != kDirectionReply) {
        return verdict;
    }
    record.IpAddress = sourceIp;
    SetFieldText(record.IpText, AddressText(sourceIp));

    if (header.ProtocolVersion != kProtocolVersion) {
        verdict.route = ReplyRoute::VersionMismatch;
        return verdict;
    }
    if (header.CommandCode == kCommandLoaderMode) {
        verdict.route = ReplyRoute::LoaderMode;
        return verdict;
    }
    if (header.CommandCode == kCommandDeviceInfo &&
        FieldText(record.MacText) == FieldText(context.ConfirmationTargetMac)) {
        context.UpgradeConfirmed = 1;
    }
    const bool fromUpgradeTarget = FieldText(record.MacText) == FieldText(context.UpgradeTargetMac);
    if (header.CommandCode == kCommandSetBroadcastReply ||
        header.CommandCode == kCommandUpgradeTriggerReply) {
        // Only the answer to the latest request counts; a copy or a late answer is stale.
        if (header.Sequence != context.SetSequence) {
            return verdict;
        }
        ++context.SetSequence;
    }
    if (verdict.errorCode != 0) {
        verdict.route = ReplyRoute::ShowError;
        return verdict;
    }
    if (header.CommandCode == kCommandUpgradeTriggerReply && fromUpgradeTarget) {
        context.TriggerAcknowledged = 1;
        verdict.route = ReplyRoute::TriggerAcknowledged;
        return verdict;
    }
    record.LastCommand = header.CommandCode;
    verdict.route = header.CommandCode == kCommandTrap ? ReplyRoute::Trap : ReplyRoute::StoreReply;
    return verdict;
}

std::string_view ReplyErrorMessage(int errorCode) {
    switch (errorCode) {
    case 1:
        return texts::kDeviceProtocolVersionError;
    case 2:
        return texts::kDevicePasswordError;
    case 3:
        return texts::kDeviceCommandError;
    case 4:
        return texts::kDeviceParametersError;
    default:
        return texts::kDeviceUnknownError;
    }
}

} // namespace fenwick
