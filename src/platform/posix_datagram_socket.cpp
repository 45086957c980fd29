#include "posix_datagram_socket.h"

#include "broadcast_interfaces.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fenwick {
namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

// Asks for a receive buffer that holds a whole discovery burst. The kernel caps an ordinary
// request at net.core.rmem_max (and doubles it); a privileged process may go beyond.
void SizeReceiveBuffer(int descriptor, int wanted) {
    setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof wanted);
    int granted = 0;
    socklen_t length = sizeof granted;
    getsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &granted, &length);
    if (granted < wanted) {
        setsockopt(descriptor, SOL_SOCKET, SO_RCVBUFFORCE, &wanted, sizeof wanted);
        getsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &granted, &length);
    }
    if (granted < wanted) {
        std::fprintf(stderr,
                     "fenwick: the kernel granted a receive buffer of %d bytes, less than the %d "
                     "a burst of answers needs; raise net.core.rmem_max\n",
                     granted, wanted);
    }
}

} // namespace

PosixDatagramSocket::PosixDatagramSocket(int descriptor, const LocalAddresses& addresses)
    : descriptor_(descriptor), addresses_(addresses) {}

PosixDatagramSocket::~PosixDatagramSocket() {
    Close();
}

void PosixDatagramSocket::Close() {
    notifier_.reset(); // stop watching before the descriptor goes
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    bound_ = false;
}

int PosixDatagramSocket::Bind(std::uint16_t port) {
    if (descriptor_ < 0) {
        return -1;
    }
    const sockaddr_in address = MakeAddress(INADDR_ANY, port);
    if (::bind(descriptor_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return -1;
    }
    bound_ = true;
    if (ready_) {
        SetReadyCallback(ready_);
    }
    return 0;
}

int PosixDatagramSocket::SetBroadcast(bool enabled) {
    const int value = enabled ? 1 : 0;
    return setsockopt(descriptor_, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) == 0 ? 0 : -1;
}

int PosixDatagramSocket::SendTo(std::span<const std::uint8_t> datagram, std::uint32_t address,
                                std::uint16_t port) {
    if (descriptor_ < 0) {
        return EBADF;
    }
    const sockaddr_in destination = MakeAddress(address, port);
    if (address == kLimitedBroadcast) {
        return SendOnEveryInterface(datagram, destination);
    }
    return SendThrough(datagram, destination, 0);
}

// Linux routes 255.255.255.255 by the routing table: out of the default route's interface only,
// and nowhere ("Network is unreachable") without a default route. The switches may sit behind
// any interface, so the datagram goes out of each one, named in IP_PKTINFO (no privilege
// needed), which leaves the routing table out of it.
int PosixDatagramSocket::SendOnEveryInterface(std::span<const std::uint8_t> datagram,
                                              const sockaddr_in& destination) {
    const std::vector<InterfaceAddress> interfaces = BroadcastInterfaces(addresses_.List());
    if (interfaces.empty()) {
        return ENETUNREACH;
    }
    bool taken = false;
    int lastError = 0;
    for (const InterfaceAddress& interface : interfaces) {
        const int error = SendThrough(datagram, destination, interface.index);
        if (error == 0) {
            taken = true;
            continue;
        }
        lastError = error;
        std::fprintf(stderr, "fenwick: a broadcast could not leave by %s: %s\n",
                     interface.name.c_str(), std::strerror(error));
    }
    return taken ? 0 : lastError;
}

int PosixDatagramSocket::SendThrough(std::span<const std::uint8_t> datagram,
                                     sockaddr_in destination, unsigned interfaceIndex) {
    // sendmsg only reads the payload, whatever the constness of iovec says.
    iovec payload{const_cast<std::uint8_t*>(datagram.data()), datagram.size()};
    msghdr message{};
    message.msg_name = &destination;
    message.msg_namelen = sizeof destination;
    message.msg_iov = &payload;
    message.msg_iovlen = 1;
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    if (interfaceIndex != 0) {
        // The interface only; its own address becomes the source.
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo chosen{};
        chosen.ipi_ifindex = static_cast<int>(interfaceIndex);
        std::memcpy(CMSG_DATA(header), &chosen, sizeof chosen);
    }
    if (::sendmsg(descriptor_, &message, 0) < 0) {
        return errno != 0 ? errno : EIO;
    }
    return 0;
}

int PosixDatagramSocket::Receive(std::span<std::uint8_t> buffer, std::uint32_t& sourceAddress) {
    if (descriptor_ < 0) {
        return -1;
    }
    sockaddr_in source{};
    socklen_t length = sizeof source;
    const ssize_t received = ::recvfrom(descriptor_, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                        reinterpret_cast<sockaddr*>(&source), &length);
    if (received < 0) {
        return -1;
    }
    sourceAddress = ntohl(source.sin_addr.s_addr);
    return static_cast<int>(received);
}

void PosixDatagramSocket::SetReadyCallback(std::function<void()> ready) {
    ready_ = std::move(ready);
    if (!bound_ || !ready_) {
        return; // an unbound socket is never watched
    }
    notifier_ = std::make_unique<QSocketNotifier>(descriptor_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { ready_(); });
}

int PosixDatagramSocket::ReceiveBufferSize() const {
    int size = 0;
    socklen_t length = sizeof size;
    getsockopt(descriptor_, SOL_SOCKET, SO_RCVBUF, &size, &length);
    return size;
}

std::unique_ptr<DatagramSocket> PosixDatagramSocketFactory::Create() {
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return nullptr;
    }
    if (receiveBuffer_ > 0) {
        SizeReceiveBuffer(descriptor, receiveBuffer_);
    }
    return std::make_unique<PosixDatagramSocket>(descriptor, addresses_);
}

} // namespace fenwick
