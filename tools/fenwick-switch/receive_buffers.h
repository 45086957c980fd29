// What one recvmsg call fills in: the sender's address, the datagram, and room for the one
// control message the caller asked the socket for (IP_PKTINFO for the address a datagram was
// sent to, SO_TIMESTAMPNS for when it arrived). Shared by the switches' socket and the lab's
// test sockets, so that both read datagrams alike.
#pragma once

#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <optional>
#include <span>
#include <sys/socket.h>
#include <sys/types.h>

namespace fenwick::sim {

// `Payload` is the control message's data, found by its `level` and `type`.
template <typename Payload> class ReceiveBuffers {
public:
    ReceiveBuffers(std::span<std::uint8_t> bytes, int level, int type)
        : iov_{bytes.data(), bytes.size()}, level_(level), type_(type) {}
    // The message header points into the object itself.
    ReceiveBuffers(const ReceiveBuffers&) = delete;
    ReceiveBuffers& operator=(const ReceiveBuffers&) = delete;

    // One recvmsg with `flags`: the datagram's length, or -1 with errno set. Each call starts
    // from the full buffers, as the kernel shortens the lengths it fills in.
    ssize_t Receive(int fd, int flags) {
        message_ = msghdr{};
        message_.msg_name = &source_;
        message_.msg_namelen = sizeof source_;
        message_.msg_iov = &iov_;
        message_.msg_iovlen = 1;
        message_.msg_control = control_;
        message_.msg_controllen = sizeof control_;
        return recvmsg(fd, &message_, flags);
    }

    // The datagram was longer than the buffer; what was read of it is cut.
    bool Truncated() const { return (message_.msg_flags & MSG_TRUNC) != 0; }
    const sockaddr_in& Source() const { return source_; }

    // The payload of the control message asked for, when the kernel added one.
    std::optional<Payload> Control() {
        std::optional<Payload> found;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message_); c != nullptr; c = CMSG_NXTHDR(&message_, c)) {
            if (c->cmsg_level == level_ && c->cmsg_type == type_) {
                Payload payload;
                std::memcpy(&payload, CMSG_DATA(c), sizeof payload);
                found = payload;
            }
        }
        return found;
    }

private:
    sockaddr_in source_{};
    iovec iov_;
    alignas(cmsghdr) unsigned char control_[CMSG_SPACE(sizeof(Payload))];
    msghdr message_{};
    int level_;
    int type_;
};

} // namespace fenwick::sim
