// Reads the datagrams waiting on a protocol socket, one at a time, judges each header and hands
// it to the part of the program that deals with it.
#pragma once

#include "codec/reply_checks.h"
#include "core/ports/datagram_socket.h"
#include "core/support/unstacked_boxes.h"

#include <cstdint>
#include <span>

namespace fenwick {

class DiscoveryService;
class TrapReception;

class ReplyDispatcher {
public:
    ReplyDispatcher(ReplyContext& reply, UnstackedBoxes& boxes, DiscoveryService& discovery,
                    TrapReception& traps);

    // Reads and dispatches what is waiting, up to a bound so that a flood cannot hold the event
    // loop; the socket reports readiness again for the rest.
    void DrainSocket(DatagramSocket& socket);

    // Dispatches one received datagram from `sourceAddress`.
    void Dispatch(std::span<const std::uint8_t> datagram, std::uint32_t sourceAddress);

    static constexpr int kMaxDatagramsPerEvent = 256;

private:
    ReplyContext& reply_;
    UnstackedBoxes& boxes_;
    DiscoveryService& discovery_;
    TrapReception& traps_;
};

} // namespace fenwick
