// DatagramSocket double: an in-memory network that tests feed and inspect, with faults on
// demand. Delivery is explicit: a test queues datagrams and then lets a socket report itself
// ready, as the event loop would.
#pragma once

#include "core/ports/datagram_socket.h"

#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <vector>

namespace fenwick::testing {

class MemoryNetwork final : public DatagramSocketFactory {
public:
    struct Sent {
        std::uint16_t fromPort;
        std::uint32_t address;
        std::uint16_t port;
        std::vector<std::uint8_t> bytes;
        bool broadcastPermitted;
    };

    class Socket final : public DatagramSocket {
    public:
        explicit Socket(MemoryNetwork& network) : network_(network) {}
        ~Socket() override { network_.Forget(this); }

        int Bind(std::uint16_t port) override {
            if (port == 0) {
                port = network_.nextEphemeralPort_++; // as the system picks a free port
            }
            if (closed_ || network_.failBind || network_.bound_.count(port) != 0) {
                return -1;
            }
            port_ = port;
            network_.bound_[port] = this;
            return 0;
        }
        int SetBroadcast(bool enabled) override {
            if (network_.failSetBroadcast) {
                return -1;
            }
            broadcast_ = enabled;
            return 0;
        }
        int SendTo(std::span<const std::uint8_t> datagram, std::uint32_t address,
                   std::uint16_t port) override {
            if (closed_) {
                return 9; // EBADF
            }
            if (network_.sendError != 0) {
                return network_.sendError;
            }
            if (network_.unreachable.contains(address)) {
                return 113; // EHOSTUNREACH
            }
            network_.sent.push_back(
                {port_, address, port, {datagram.begin(), datagram.end()}, broadcast_});
            return 0;
        }
        int Receive(std::span<std::uint8_t> buffer, std::uint32_t& source) override {
            if (queue_.empty()) {
                return -1;
            }
            const auto& [bytes, from] = queue_.front();
            const std::size_t length = std::min(bytes.size(), buffer.size());
            std::memcpy(buffer.data(), bytes.data(), length);
            source = from;
            queue_.pop_front();
            return static_cast<int>(length);
        }
        void SetReadyCallback(std::function<void()> ready) override { ready_ = std::move(ready); }
        void Close() override {
            network_.Forget(this);
            closed_ = true;
            ready_ = nullptr;
            queue_.clear();
        }
        bool Closed() const { return closed_; }

        std::uint16_t Port() const { return port_; }
        bool Watched() const { return static_cast<bool>(ready_); }
        std::size_t Pending() const { return queue_.size(); }
        void Queue(std::vector<std::uint8_t> bytes, std::uint32_t source) {
            queue_.emplace_back(std::move(bytes), source);
        }
        void ReportReady() {
            if (ready_) {
                ready_();
            }
        }

    private:
        MemoryNetwork& network_;
        std::uint16_t port_ = 0;
        bool broadcast_ = false;
        bool closed_ = false;
        std::function<void()> ready_;
        std::deque<std::pair<std::vector<std::uint8_t>, std::uint32_t>> queue_;
    };

    std::unique_ptr<DatagramSocket> Create() override {
        if (failCreate) {
            return nullptr;
        }
        return std::make_unique<Socket>(*this);
    }

    // The socket bound to `port`, or nullptr.
    Socket* BoundTo(std::uint16_t port) const {
        const auto it = bound_.find(port);
        return it == bound_.end() ? nullptr : it->second;
    }

    // Queues a datagram for the socket bound to `port` and lets it report readiness.
    bool Deliver(std::uint16_t port, std::vector<std::uint8_t> bytes, std::uint32_t source) {
        Socket* socket = BoundTo(port);
        if (socket == nullptr) {
            return false;
        }
        socket->Queue(std::move(bytes), source);
        socket->ReportReady();
        return true;
    }

    bool failCreate = false;
    bool failBind = false;
    bool failSetBroadcast = false;
    int sendError = 0;
    std::set<std::uint32_t> unreachable; // sends to these addresses fail
    std::vector<Sent> sent;

private:
    void Forget(Socket* socket) {
        for (auto it = bound_.begin(); it != bound_.end(); ++it) {
            if (it->second == socket) {
                bound_.erase(it);
                return;
            }
        }
    }

    std::map<std::uint16_t, Socket*> bound_;
    std::uint16_t nextEphemeralPort_ = 49152;
};

} // namespace fenwick::testing
