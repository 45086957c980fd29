#include "protocol_sockets.h"

#include "core/protocol/protocol_texts.h"

namespace fenwick {

ProtocolSockets::ProtocolSockets(DatagramSocketFactory& factory, UserPrompts& prompts)
    : factory_(factory), prompts_(prompts) {}

bool ProtocolSockets::Open(std::uint16_t basePort, std::uint16_t unicastPort,
                           const ReadyHandler& ready) {
    bool broadcastBound = false;
    bool unicastBound = false;
    broadcast_ = OpenOne(basePort, ready, broadcastBound);
    unicast_ = OpenOne(unicastPort, ready, unicastBound);
    return broadcastBound && unicastBound;
}

std::unique_ptr<DatagramSocket> ProtocolSockets::OpenOne(std::uint16_t port,
                                                         const ReadyHandler& ready, bool& bound) {
    std::unique_ptr<DatagramSocket> socket = factory_.Create();
    if (!socket) {
        prompts_.MessageBox(texts::kCreatSocketError, texts::kCaptionError,
                            UserPrompts::Icon::Error);
        return nullptr;
    }
    if (socket->Bind(port) != 0) {
        prompts_.MessageBox(texts::kBindSocketError, texts::kCaptionError,
                            UserPrompts::Icon::Error);
        return socket;
    }
    DatagramSocket* watched = socket.get();
    socket->SetReadyCallback([ready, watched] { ready(*watched); });
    bound = true;
    return socket;
}

void ProtocolSockets::Close() {
    for (std::unique_ptr<DatagramSocket>* socket : {&broadcast_, &unicast_}) {
        if (*socket) {
            (*socket)->Close();
            closed_.push_back(std::move(*socket));
        }
    }
}

} // namespace fenwick
