// UDP sockets for the programs that check the simulated switches from the lab's manager
// namespace (lab_probe, tftp_lab_test): open, send, and receive with the kernel's arrival time.
// Only ever used inside the lab.
#pragma once

#include "codec/packet_header.h"
#include "codec/text_forms.h"
#include "fenwick-switch/receive_buffers.h"
#include "fenwick-switch/unique_fd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace fenwick::sim::lab {

using Clock = std::chrono::steady_clock;
using Nanoseconds = std::chrono::nanoseconds;
using Bytes = std::vector<std::uint8_t>;

struct Datagram {
    Bytes bytes;
    std::uint32_t source = 0;
    std::uint16_t sourcePort = 0;
    Nanoseconds arrival{}; // the kernel's receive time, so that reading slowly does not count
};

// A socket on `port` (0: any) with broadcast permission and a large receive buffer, or nothing
// with the reason in `error`.
inline UniqueFd OpenSocket(std::uint16_t port, std::string& error) {
    UniqueFd fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    // Hundreds of answers arrive at once; the default buffer holds about two hundred.
    const int bytes = 4 << 20;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (!fd || setsockopt(fd.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0 ||
        setsockopt(fd.Get(), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) != 0 ||
        bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error =
            "cannot open a socket on port " + std::to_string(port) + ": " + std::strerror(errno);
        return UniqueFd();
    }
    return fd;
}

// Sends one datagram; returns the reason when it could not.
inline std::optional<std::string> SendDatagram(int fd, std::uint32_t ip, std::uint16_t port,
                                               const Bytes& bytes) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(ip);
    address.sin_port = htons(port);
    if (sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address),
               sizeof address) != static_cast<ssize_t>(bytes.size())) {
        return "sending to " + AddressText(ip) + ": " + std::strerror(errno);
    }
    return std::nullopt;
}

// The next datagram, or nothing once `deadline` has passed.
inline std::optional<Datagram> Receive(int fd, Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd readable{fd, POLLIN, 0};
    if (left <= 0 || poll(&readable, 1, static_cast<int>(left)) != 1) {
        return std::nullopt;
    }
    Datagram d;
    d.bytes.resize(kMaxDatagramLength);
    ReceiveBuffers<timespec> buffers(d.bytes, SOL_SOCKET, SCM_TIMESTAMPNS);
    const ssize_t got = buffers.Receive(fd, 0);
    if (got < 0) {
        return std::nullopt;
    }
    if (const std::optional<timespec> stamp = buffers.Control()) {
        d.arrival = std::chrono::seconds(stamp->tv_sec) + Nanoseconds(stamp->tv_nsec);
    }
    d.bytes.resize(static_cast<std::size_t>(got));
    d.source = ntohl(buffers.Source().sin_addr.s_addr);
    d.sourcePort = ntohs(buffers.Source().sin_port);
    return d;
}

// A 40-byte request header as the manager sends it.
inline Bytes RequestHeader(std::uint16_t code, std::uint32_t key) {
    Bytes request(kHeaderLength);
    BuildRequestHeader(code, key, std::span<std::uint8_t, kHeaderLength>(request.data(), 40));
    return request;
}

} // namespace fenwick::sim::lab
