// Port for the UDP sockets of the protocol: bind to any local address, broadcast permission,
// send to an address and port, and one datagram read at a time after a readiness callback.
// The platform layer implements it over POSIX sockets; tests use an in-memory network.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace fenwick {

// 255.255.255.255 as a SendTo address: the datagram goes out of every interface that can
// broadcast, whatever the routing table says.
inline constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

class DatagramSocket {
public:
    virtual ~DatagramSocket() = default;

    // Binds to any local address and `port`; 0 or -1.
    virtual int Bind(std::uint16_t port) = 0;
    // Switches broadcast permission; 0 or -1.
    virtual int SetBroadcast(bool enabled) = 0;
    // Sends one datagram; 0, or the OS error number (never 0) on failure.
    virtual int SendTo(std::span<const std::uint8_t> datagram, std::uint32_t address,
                       std::uint16_t port) = 0;
    // Reads one pending datagram into `buffer` (a longer one is cut to the buffer) and its
    // source address; returns the length read, or -1 when nothing is pending.
    virtual int Receive(std::span<std::uint8_t> buffer, std::uint32_t& sourceAddress) = 0;
    // Called on the event loop whenever datagrams are waiting to be read. Only a bound socket
    // is watched.
    virtual void SetReadyCallback(std::function<void()> ready) = 0;
    // Closes the socket: it is no longer watched, receives nothing and sends nothing. The
    // object stays valid, since a handler further up the stack may still hold it.
    virtual void Close() = 0;
};

class DatagramSocketFactory {
public:
    virtual ~DatagramSocketFactory() = default;
    // A new unbound socket, or nullptr when the system cannot create one.
    virtual std::unique_ptr<DatagramSocket> Create() = 0;
};

} // namespace fenwick
