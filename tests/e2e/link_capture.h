// The UDP datagrams that leave by one network interface, seen as they go onto it: a packet
// socket bound to that interface only (needs root, as inside the lab). The system hands a
// copy to the socket while the datagram is sent, so what a send put on the link is there to
// read when the send returns.
#pragma once

#include "fenwick-switch/unique_fd.h"

#include <arpa/inet.h>
#include <cstdint>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace fenwick::testing {

struct LeavingDatagram {
    std::uint32_t source = 0;      // host order
    std::uint32_t destination = 0; // host order
    std::uint16_t sourcePort = 0;
    std::uint16_t destinationPort = 0;
    std::vector<std::uint8_t> payload;
};

class LinkCapture {
public:
    explicit LinkCapture(const std::string& interface) : interface_(interface) {
        const unsigned index = if_nametoindex(interface.c_str());
        // Protocol 0 receives nothing until bound, so nothing from another interface slips in.
        sim::UniqueFd fd(socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        sockaddr_ll address{};
        address.sll_family = AF_PACKET;
        address.sll_protocol = htons(ETH_P_ALL); // only "all" sees outgoing frames
        address.sll_ifindex = static_cast<int>(index);
        if (index != 0 && fd &&
            bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            fd_ = std::move(fd);
        }
    }

    bool IsOpen() const { return static_cast<bool>(fd_); }
    const std::string& Interface() const { return interface_; }

    // The IPv4 UDP datagrams to `port` that have left so far, waiting at most `waitMs` for the
    // first one; those to other ports and everything arriving are passed over.
    std::vector<LeavingDatagram> Take(std::uint16_t port, int waitMs = 0) {
        std::vector<LeavingDatagram> taken;
        pollfd readable{fd_.Get(), POLLIN, 0};
        while (fd_ && poll(&readable, 1, taken.empty() ? waitMs : 0) == 1) {
            std::uint8_t frame[2048];
            sockaddr_ll from{};
            socklen_t length = sizeof from;
            const ssize_t got = recvfrom(fd_.Get(), frame, sizeof frame, MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&from), &length);
            if (got < 0) {
                break;
            }
            LeavingDatagram datagram;
            if (from.sll_pkttype == PACKET_OUTGOING &&
                Parse(frame, static_cast<std::size_t>(got), datagram) &&
                datagram.destinationPort == port) {
                taken.push_back(std::move(datagram));
            }
        }
        return taken;
    }

private:
    static std::uint32_t Read32(const std::uint8_t* p) {
        return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
               (std::uint32_t{p[2]} << 8) | p[3];
    }
    static std::uint16_t Read16(const std::uint8_t* p) {
        return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    }

    // An IPv4 packet (no link header: the socket is of the datagram kind) holding one whole
    // UDP datagram.
    static bool Parse(const std::uint8_t* packet, std::size_t length, LeavingDatagram& out) {
        constexpr std::size_t kUdpHeader = 8;
        if (length < 20 || (packet[0] >> 4) != 4 || packet[9] != IPPROTO_UDP) {
            return false;
        }
        const std::size_t ipHeader = std::size_t{packet[0] & 0x0Fu} * 4;
        const std::size_t total = Read16(packet + 2);
        if (ipHeader < 20 || total > length || total < ipHeader + kUdpHeader) {
            return false;
        }
        const std::uint8_t* udp = packet + ipHeader;
        const std::size_t udpLength = Read16(udp + 4);
        if (udpLength < kUdpHeader || udpLength > total - ipHeader) {
            return false;
        }
        out.source = Read32(packet + 12);
        out.destination = Read32(packet + 16);
        out.sourcePort = Read16(udp);
        out.destinationPort = Read16(udp + 2);
        out.payload.assign(udp + kUdpHeader, udp + udpLength);
        return true;
    }

    std::string interface_;
    sim::UniqueFd fd_;
};

} // namespace fenwick::testing
