#include "reply_dispatcher.h"

#include "codec/packet_header.h"
#include "core/monitor/trap_reception.h"
#include "core/protocol/discovery_service.h"
#include "core/support/latin1.h"
#include "core/support/support_texts.h"

#include <array>

namespace fenwick {

ReplyDispatcher::ReplyDispatcher(ReplyContext& reply, UnstackedBoxes& boxes,
                                 DiscoveryService& discovery, TrapReception& traps)
    : reply_(reply), boxes_(boxes), discovery_(discovery), traps_(traps) {}

void ReplyDispatcher::DrainSocket(DatagramSocket& socket) {
    for (int i = 0; i < kMaxDatagramsPerEvent; ++i) {
        std::array<std::uint8_t, kMaxDatagramLength> buffer{};
        std::uint32_t source = 0;
        const int length = socket.Receive(buffer, source);
        if (length < 0) {
            return;
        }
        Dispatch(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(length)),
                 source);
    }
}

void ReplyDispatcher::Dispatch(std::span<const std::uint8_t> datagram,
                               std::uint32_t sourceAddress) {
    DeviceRecord record = ZeroRecord();
    const ReplyVerdict verdict = CheckReplyHeader(datagram, sourceAddress, reply_, record);
    switch (verdict.route) {
    case ReplyRoute::Drop:
    case ReplyRoute::TriggerAcknowledged:
        return;
    case ReplyRoute::VersionMismatch:
        discovery_.StoreMismatch(record, kReasonVersionMismatch);
        return;
    case ReplyRoute::LoaderMode:
        discovery_.StoreMismatch(record, kReasonLoaderMode);
        return;
    case ReplyRoute::ShowError:
        boxes_.Show(Latin1(ReplyErrorMessage(verdict.errorCode)), texts::kCaptionError,
                    UserPrompts::Icon::Error);
        return;
    case ReplyRoute::Trap:
        traps_.HandleTrap(verdict.body);
        return;
    case ReplyRoute::StoreReply:
        discovery_.StoreReply(record, verdict.body);
        return;
    }
}

} // namespace fenwick
