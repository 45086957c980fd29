// The event loop of a running fenwick-switch: one thread, poll(2) over the agent socket, the
// control channel and a signal descriptor, so that requests, commands and SIGTERM are handled
// in arrival order and nothing needs a lock. A trap storm sets the poll's timeout: its traps
// leave between requests, in bounded rounds, so the switches keep answering during a storm.
// The end of a switch's restart after an upgrade sets it too.
#pragma once

#include "address_assigner.h"
#include "agent_socket.h"
#include "control_channel.h"
#include "switch_set.h"
#include "trap_traffic.h"
#include "unique_fd.h"

#include <list>
#include <optional>

namespace fenwick::sim {

// The TFTP server's sockets, shared by all switches like the agent socket: port 69, and the
// transfer port that answers come from when a switch is asked to answer from another port.
struct TftpSockets {
    AgentSocket server;
    AgentSocket transfer;
};

class SwitchRunner {
public:
    SwitchRunner(SwitchSet switches, AgentSocket socket, TftpSockets tftp,
                 std::optional<ControlServer> control, std::optional<AddressAssigner> addresses,
                 UniqueFd signals, bool verbose)
        : switches_(std::move(switches)), socket_(std::move(socket)), tftp_(std::move(tftp)),
          control_(std::move(control)), addresses_(std::move(addresses)),
          signals_(std::move(signals)), verbose_(verbose),
          traffic_([] { return std::chrono::steady_clock::now(); }) {}

    // Runs until SIGINT or SIGTERM; returns the process exit status.
    int Run();

private:
    void ServeRequests();
    void Serve(const ReceivedDatagram& request);
    void AfterAnswer(const Agent& agent, AgentEvent event, std::uint32_t previousIp);
    void ServeTftp(AgentSocket& socket, TftpPort arrivedOn);
    void ServeTftp(const ReceivedDatagram& datagram, TftpPort arrivedOn);
    void FinishRestarts();
    // The earliest of the storm's next trap and the end of a restart.
    std::optional<SteadyTime> NextWake() const;
    void AcceptClients();
    void ServeClient(ControlConnection& client);
    // `traps`: the datagrams count towards the trap figures of stats.
    bool Send(const std::vector<OutgoingDatagram>& datagrams, std::string& error,
              bool traps = false);
    void SendDueTraps();

    SwitchSet switches_;
    AgentSocket socket_;
    TftpSockets tftp_;
    std::optional<ControlServer> control_;
    std::optional<AddressAssigner> addresses_;
    UniqueFd signals_;
    bool verbose_;
    std::list<ControlConnection> clients_;
    TrapTraffic traffic_;
    bool stormFailureTold_ = false;
};

} // namespace fenwick::sim
