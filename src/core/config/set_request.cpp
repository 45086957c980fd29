#include "set_request.h"

#include "codec/info_field.h"
#include "codec/packet_header.h"
#include "core/config/config_texts.h"
#include "core/lists/monitor_list_service.h"
#include "core/monitor/request_accounting.h"
#include "core/protocol/protocol_sockets.h"
#include "core/support/latin1.h"

#include <array>
#include <span>

namespace fenwick {

SetRequest::SetRequest(ProgramState& state, UserPrompts& prompts, ProtocolSockets& sockets,
                       MonitorListService& monitor)
    : state_(state), prompts_(prompts), sockets_(sockets), monitor_(monitor) {}

SetOutcome SetRequest::Send(const DeviceRecord& request, const QString& unicastFailText) {
    const bool unicast = state_.Selection.SelectedInMonitor == kChosenInMonitor;
    std::array<std::uint8_t, kHeaderLength + kMaxSetBodyLength> datagram{};
    const std::string_view mac = FieldText(request.MacText);
    if (BuildTargetedRequestHeader(unicast ? kCommandSetUnicast : kCommandSetBroadcast,
                                   state_.Protocol.AgentKey, mac, state_.Reply.SetSequence,
                                   std::span(datagram).first<kHeaderLength>())
            .empty()) {
        prompts_.MessageBox(QString(texts::kMacNotValid).arg(Latin1(mac)), texts::kCaptionError,
                            UserPrompts::Icon::Error);
        return SetOutcome::SendFailed;
    }
    state_.Pending.WritePendingSetMac(mac);
    const std::span<const std::uint8_t> body =
        BuildSetBody(request, std::span(datagram).subspan(kHeaderLength), state_.Pending);
    // The buffer is sized for the longest body a record can make; a request without its body
    // would still be a set request, so none goes out.
    if (body.empty()) {
        return SetOutcome::SendFailed;
    }
    const std::span<const std::uint8_t> bytes(datagram.data(), kHeaderLength + body.size());

    if (unicast) {
        const int index = state_.Selection.SelectedIndex;
        MarkRequestSent(state_.MonitorTable, index);
        const std::uint32_t address =
            state_.MonitorTable[static_cast<std::size_t>(index)].IpAddress;
        DatagramSocket* socket = sockets_.UnicastSocket();
        if (socket == nullptr || socket->SendTo(bytes, address, state_.Protocol.AgentPort) != 0) {
            prompts_.MessageBox(unicastFailText, texts::kCaptionError, UserPrompts::Icon::Error);
            return SetOutcome::SendFailed;
        }
        return SetOutcome::Sent;
    }
    MarkAllRequestsSent(state_.MonitorTable, monitor_.Count());
    DatagramSocket* socket = sockets_.BroadcastSocket();
    if (socket == nullptr ||
        socket->SendTo(bytes, kLimitedBroadcast, state_.Protocol.AgentPort) != 0) {
        prompts_.MessageBox(texts::kUdpSetSendError, texts::kCaptionError,
                            UserPrompts::Icon::Error);
        return SetOutcome::SendFailed;
    }
    return SetOutcome::Sent;
}

} // namespace fenwick
