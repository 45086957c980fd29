// The two protocol sockets: BroadcastSocket on the base port (discovery, broadcast sets and
// triggers) and UnicastSocket on the next port (polls, unicast sets and triggers). Replies may
// come in on either; both feed the same dispatcher.
#pragma once

#include "core/ports/datagram_socket.h"
#include "core/ports/user_prompts.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace fenwick {

class ProtocolSockets {
public:
    using ReadyHandler = std::function<void(DatagramSocket&)>;

    ProtocolSockets(DatagramSocketFactory& factory, UserPrompts& prompts);

    // Opens BroadcastSocket, then UnicastSocket, telling the operator of each failure. A socket
    // that was created but not bound can still send; it is never watched. True when both are
    // bound and watched.
    bool Open(std::uint16_t basePort, std::uint16_t unicastPort, const ReadyHandler& ready);
    // Closes both sockets. The objects live on until this object goes, because a dispatch
    // further up the stack (under an open message box) may still be reading from one.
    void Close();

    // nullptr when the socket could not be created (or is closed).
    DatagramSocket* BroadcastSocket() const { return broadcast_.get(); }
    DatagramSocket* UnicastSocket() const { return unicast_.get(); }

private:
    std::unique_ptr<DatagramSocket> OpenOne(std::uint16_t port, const ReadyHandler& ready,
                                            bool& bound);

    DatagramSocketFactory& factory_;
    UserPrompts& prompts_;
    std::unique_ptr<DatagramSocket> broadcast_;
    std::unique_ptr<DatagramSocket> unicast_;
    std::vector<std::unique_ptr<DatagramSocket>> closed_;
};

} // namespace fenwick
