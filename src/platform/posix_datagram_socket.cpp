#include "posix_datagram_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
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

PosixDatagramSocket::PosixDatagramSocket(int descriptor) : descriptor_(descriptor) {}

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
    const ssize_t sent =
        ::sendto(descriptor_, datagram.data(), datagram.size(), 0,
                 reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    if (sent < 0) {
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
    return std::make_unique<PosixDatagramSocket>(descriptor);
}

} // namespace fenwick
