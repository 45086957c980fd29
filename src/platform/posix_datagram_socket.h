// DatagramSocket over a POSIX UDP socket, watched by a QSocketNotifier on the event loop.
#pragma once

#include "core/ports/datagram_socket.h"

#include <QSocketNotifier>
#include <memory>

namespace fenwick {

class PosixDatagramSocket final : public DatagramSocket {
public:
    // Takes ownership of an open UDP socket descriptor.
    explicit PosixDatagramSocket(int descriptor);
    ~PosixDatagramSocket() override;
    PosixDatagramSocket(const PosixDatagramSocket&) = delete;
    PosixDatagramSocket& operator=(const PosixDatagramSocket&) = delete;

    int Bind(std::uint16_t port) override;
    int SetBroadcast(bool enabled) override;
    int SendTo(std::span<const std::uint8_t> datagram, std::uint32_t address,
               std::uint16_t port) override;
    int Receive(std::span<std::uint8_t> buffer, std::uint32_t& sourceAddress) override;
    void SetReadyCallback(std::function<void()> ready) override;
    void Close() override;

    // The receive buffer the kernel granted, in bytes.
    int ReceiveBufferSize() const;

private:
    int descriptor_;
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

    // `receiveBuffer` 0 keeps the system's default size (the benchmark compares both).
    explicit PosixDatagramSocketFactory(int receiveBuffer = kWantedReceiveBuffer)
        : receiveBuffer_(receiveBuffer) {}

    std::unique_ptr<DatagramSocket> Create() override;

private:
    int receiveBuffer_;
};

} // namespace fenwick
