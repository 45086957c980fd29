// DatagramSocket over a POSIX UDP socket, watched by a QSocketNotifier on the event loop. A
// send to 255.255.255.255 goes out of every interface that can carry it (see SendTo).
#pragma once

#include "core/ports/datagram_socket.h"
#include "core/ports/local_addresses.h"

#include <QSocketNotifier>
#include <memory>
#include <netinet/in.h>

namespace fenwick {

class PosixDatagramSocket final : public DatagramSocket {
public:
    // Takes ownership of an open UDP socket descriptor; `addresses` tells which interfaces a
    // limited broadcast goes out of, and outlives the socket.
    PosixDatagramSocket(int descriptor, const LocalAddresses& addresses);
    ~PosixDatagramSocket() override;
    PosixDatagramSocket(const PosixDatagramSocket&) = delete;
    PosixDatagramSocket& operator=(const PosixDatagramSocket&) = delete;

    int Bind(std::uint16_t port) override;
    int SetBroadcast(bool enabled) override;
    // A send to 255.255.255.255 goes out once on each interface that is up, not loopback,
    // broadcast-capable and has an IPv4 address. It succeeds when one of them took it; it
    // fails with ENETUNREACH when there is none, and with the last interface's error when
    // none took it. Any other address is sent as the routing table says.
    int SendTo(std::span<const std::uint8_t> datagram, std::uint32_t address,
               std::uint16_t port) override;
    int Receive(std::span<std::uint8_t> buffer, std::uint32_t& sourceAddress) override;
    void SetReadyCallback(std::function<void()> ready) override;
    void Close() override;

    // The receive buffer the kernel granted, in bytes.
    int ReceiveBufferSize() const;

private:
    int SendOnEveryInterface(std::span<const std::uint8_t> datagram,
                             const sockaddr_in& destination);
    // Sends by the interface with this index, or by the routing table for 0.
    int SendThrough(std::span<const std::uint8_t> datagram, sockaddr_in destination,
                    unsigned interfaceIndex);

    int descriptor_;
    const LocalAddresses& addresses_;
    bool bound_ = false;
    std::function<void()> ready_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

class PosixDatagramSocketFactory final : public DatagramSocketFactory {
public:
    // A burst of answers to one discovery must fit while the program is busy elsewhere: 256
    // answers take about this much kernel memory each (payload plus per-packet overhead).
    static constexpr int kBurstDatagrams = 256;
    static constexpr int kBytesPerQueuedDatagram = 1280;
    static constexpr int kWantedReceiveBuffer = kBurstDatagrams * kBytesPerQueuedDatagram;

    // `addresses` serves every socket made here and outlives them. `receiveBuffer` 0 keeps the
    // system's default size (the benchmark compares both).
    explicit PosixDatagramSocketFactory(const LocalAddresses& addresses,
                                        int receiveBuffer = kWantedReceiveBuffer)
        : addresses_(addresses), receiveBuffer_(receiveBuffer) {}

    std::unique_ptr<DatagramSocket> Create() override;

private:
    const LocalAddresses& addresses_;
    int receiveBuffer_;
};

} // namespace fenwick
