// The one UDP socket through which all simulated switches of a process receive and answer (the
// TFTP server's port 69 and its transfer port are two more of the kind).
// It is bound to the wildcard address so that it hears broadcasts as well as every switch's
// own address (a socket bound to a unicast address hears no broadcast on Linux); IP_PKTINFO
// tells where each datagram was sent, and each answer leaves from its switch's own address.
#pragma once

#include "control_commands.h"
#include "unique_fd.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace fenwick::sim {

struct ReceivedDatagram {
    std::vector<std::uint8_t> bytes;
    std::uint32_t source = 0; // host order
    std::uint16_t sourcePort = 0;
    std::uint32_t destination = 0; // the address the sender used (host order)
};

class AgentSocket {
public:
    // Binds 0.0.0.0:port. Returns nothing, with the reason in `error`, when that fails.
    static std::optional<AgentSocket> Open(std::uint16_t port, std::string& error);

    int Fd() const { return fd_.Get(); }
    // The port it is bound to (the one the system chose when it was opened with port 0).
    std::uint16_t LocalPort() const;

    // Reads one datagram without waiting: 1 when one was read, 0 when none is pending, -1 on
    // error (errno set). Datagrams longer than the protocol's 1500 bytes are read and dropped.
    int Receive(ReceivedDatagram& out);

    // Sends every datagram from its own source address in one system call where it can, so
    // that the answers of many switches to one broadcast leave together. Returns the number
    // not sent; the reason of the first failure goes to `error`.
    std::size_t SendAll(std::span<const OutgoingDatagram> datagrams, std::string& error);

private:
    explicit AgentSocket(UniqueFd fd) : fd_(std::move(fd)) {}
    UniqueFd fd_;
};

} // namespace fenwick::sim
