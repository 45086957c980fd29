#include "agent_socket.h"

#include "codec/packet_header.h"
#include "codec/text_forms.h"
#include "receive_buffers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace fenwick::sim {
namespace {

// Room for a burst of answers to one broadcast (hundreds of switches) and of requests from a
// polling cycle; the kernel's default buffers hold about 200 small datagrams.
inline constexpr int kBufferBytes = 4 << 20;

// sendmmsg takes at most UIO_MAXIOV (1024) messages per call; a trap burst from up to that
// many switches leaves in one call.
inline constexpr std::size_t kBatch = 1024;

void EnlargeBuffer(int fd, int forceOption, int option) {
    // The forcing variant passes the system limit but needs CAP_NET_ADMIN; the lab has it.
    if (setsockopt(fd, SOL_SOCKET, forceOption, &kBufferBytes, sizeof kBufferBytes) != 0) {
        setsockopt(fd, SOL_SOCKET, option, &kBufferBytes, sizeof kBufferBytes);
    }
}

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

std::optional<AgentSocket> AgentSocket::Open(std::uint16_t port, std::string& error) {
    UniqueFd fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!fd) {
        error = Reason("socket");
        return std::nullopt;
    }
    const int on = 1;
    // Broadcast permission lets a trap go to a broadcast trap receiver.
    if (setsockopt(fd.Get(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
        setsockopt(fd.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        error = Reason("setsockopt");
        return std::nullopt;
    }
    EnlargeBuffer(fd.Get(), SO_RCVBUFFORCE, SO_RCVBUF);
    EnlargeBuffer(fd.Get(), SO_SNDBUFFORCE, SO_SNDBUF);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = Reason(("bind to port " + std::to_string(port)).c_str());
        return std::nullopt;
    }
    return AgentSocket(std::move(fd));
}

std::uint16_t AgentSocket::LocalPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(fd_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

int AgentSocket::Receive(ReceivedDatagram& out) {
    out.bytes.resize(kMaxDatagramLength);
    ReceiveBuffers<in_pktinfo> buffers(out.bytes, IPPROTO_IP, IP_PKTINFO);
    for (;;) {
        const ssize_t length = buffers.Receive(fd_.Get(), MSG_DONTWAIT);
        if (length < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
        }
        if (buffers.Truncated()) {
            continue;
        }
        out.bytes.resize(static_cast<std::size_t>(length));
        out.source = ntohl(buffers.Source().sin_addr.s_addr);
        out.sourcePort = ntohs(buffers.Source().sin_port);
        out.destination = 0;
        if (const std::optional<in_pktinfo> info = buffers.Control()) {
            out.destination = ntohl(info->ipi_addr.s_addr);
        }
        return 1;
    }
}

std::size_t AgentSocket::SendAll(std::span<const OutgoingDatagram> datagrams, std::string& error) {
    struct Slot {
        sockaddr_in destination;
        iovec iov;
        alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))];
    };
    std::vector<Slot> slots(std::min(datagrams.size(), kBatch));
    std::vector<mmsghdr> messages(slots.size());
    std::size_t failed = 0;
    while (!datagrams.empty()) {
        const std::size_t count = std::min(datagrams.size(), kBatch);
        for (std::size_t i = 0; i < count; ++i) {
            const OutgoingDatagram& d = datagrams[i];
            Slot& slot = slots[i];
            slot = Slot{};
            slot.destination.sin_family = AF_INET;
            slot.destination.sin_addr.s_addr = htonl(d.destination);
            slot.destination.sin_port = htons(d.port);
            slot.iov = {const_cast<std::uint8_t*>(d.bytes.data()), d.bytes.size()};
            // ipi_spec_dst chooses the source address; ifindex 0 leaves the way to routing.
            cmsghdr* c = reinterpret_cast<cmsghdr*>(slot.control);
            c->cmsg_level = IPPROTO_IP;
            c->cmsg_type = IP_PKTINFO;
            c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
            in_pktinfo info{};
            info.ipi_spec_dst.s_addr = htonl(d.source);
            std::memcpy(CMSG_DATA(c), &info, sizeof info);

            msghdr& m = messages[i].msg_hdr;
            m = msghdr{};
            m.msg_name = &slot.destination;
            m.msg_namelen = sizeof slot.destination;
            m.msg_iov = &slot.iov;
            m.msg_iovlen = 1;
            m.msg_control = slot.control;
            m.msg_controllen = sizeof slot.control;
            messages[i].msg_len = 0;
        }
        const int sent = sendmmsg(fd_.Get(), messages.data(), static_cast<unsigned>(count), 0);
        // After a partial send the kernel drops the error of the message it stopped at; the
        // next call starts with that message and reports it.
        std::size_t done = static_cast<std::size_t>(sent);
        if (sent < 0) {
            if (failed == 0) {
                const OutgoingDatagram& d = datagrams.front();
                error = Reason(
                    ("sending from " + AddressText(d.source) + " to " + AddressText(d.destination))
                        .c_str());
            }
            ++failed;
            done = 1;
        }
        datagrams = datagrams.subspan(done);
    }
    return failed;
}

} // namespace fenwick::sim
