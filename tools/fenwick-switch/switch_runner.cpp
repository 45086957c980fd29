#include "switch_runner.h"

#include "codec/packet_header.h"
#include "codec/text_forms.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <vector>

namespace fenwick::sim {
namespace {

// Storm traps handed to the socket per round; the loop looks at requests between rounds.
inline constexpr std::size_t kStormRound = 256;

// How long poll may wait: until `wake`, or without limit when there is none.
const timespec* PollTimeout(std::optional<SteadyTime> wake, timespec& room) {
    if (!wake) {
        return nullptr;
    }
    const auto left = std::max(std::chrono::nanoseconds(*wake - std::chrono::steady_clock::now()),
                               std::chrono::nanoseconds(0));
    room.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
    room.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
    return &room;
}

// Reads every datagram waiting on `socket` and hands each to `serve`.
template <typename Serve> void Drain(AgentSocket& socket, const char* what, Serve serve) {
    ReceivedDatagram datagram;
    for (;;) {
        const int got = socket.Receive(datagram);
        if (got == 0) {
            return;
        }
        if (got < 0) {
            std::fprintf(stderr, "fenwick-switch: %s: %s\n", what, std::strerror(errno));
            return;
        }
        serve(datagram);
    }
}

} // namespace

int SwitchRunner::Run() {
    for (;;) {
        std::vector<pollfd> watched;
        watched.push_back({signals_.Get(), POLLIN, 0});
        watched.push_back({socket_.Fd(), POLLIN, 0});
        watched.push_back({tftp_.server.Fd(), POLLIN, 0});
        watched.push_back({tftp_.transfer.Fd(), POLLIN, 0});
        if (control_) {
            watched.push_back({control_->Fd(), POLLIN, 0});
        }
        for (const ControlConnection& client : clients_) {
            watched.push_back({client.Fd(), POLLIN, 0});
        }
        timespec room{};
        if (ppoll(watched.data(), watched.size(), PollTimeout(NextWake(), room), nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::fprintf(stderr, "fenwick-switch: poll: %s\n", std::strerror(errno));
            return 1;
        }
        if (watched[0].revents != 0) {
            return 0;
        }
        if (watched[1].revents != 0) {
            ServeRequests();
        }
        if (watched[2].revents != 0) {
            ServeTftp(tftp_.server, TftpPort::Server);
        }
        if (watched[3].revents != 0) {
            ServeTftp(tftp_.transfer, TftpPort::Transfer);
        }
        const std::size_t controlIndex = 4;
        // Clients first, then new ones: `watched` lists the clients that existed before.
        std::size_t index = control_ ? controlIndex + 1 : controlIndex;
        for (auto client = clients_.begin(); client != clients_.end(); ++index) {
            const auto current = client++;
            if (watched[index].revents != 0) {
                ServeClient(*current);
                if (current->Fd() < 0) {
                    clients_.erase(current);
                }
            }
        }
        if (control_ && watched[controlIndex].revents != 0) {
            AcceptClients();
        }
        FinishRestarts();
        SendDueTraps();
    }
}

std::optional<SteadyTime> SwitchRunner::NextWake() const {
    std::optional<SteadyTime> wake = traffic_.NextWake();
    for (const Agent& agent : switches_.Agents()) {
        if (const auto end = agent.RestartEnds(); end && (!wake || *end < *wake)) {
            wake = end;
        }
    }
    return wake;
}

void SwitchRunner::FinishRestarts() {
    const SteadyTime now = std::chrono::steady_clock::now();
    for (Agent& agent : switches_.Agents()) {
        if (agent.FinishRestart(now)) {
            std::fprintf(stderr, "fenwick-switch: switch %s is back after its restart\n",
                         AddressText(agent.Settings().ip).c_str());
        }
    }
}

void SwitchRunner::ServeTftp(AgentSocket& socket, TftpPort arrivedOn) {
    Drain(socket, "tftp receive",
          [this, arrivedOn](const ReceivedDatagram& datagram) { ServeTftp(datagram, arrivedOn); });
}

void SwitchRunner::ServeTftp(const ReceivedDatagram& datagram, TftpPort arrivedOn) {
    // A TFTP transfer is between two addresses: a broadcast reaches no switch.
    Agent* agent = switches_.FindByAddress(datagram.destination);
    if (agent == nullptr) {
        return;
    }
    const std::uint32_t ip = agent->Settings().ip;
    const TftpResult result =
        agent->HandleTftp({datagram.bytes, datagram.source, datagram.sourcePort, arrivedOn},
                          std::chrono::steady_clock::now());
    for (const std::string& note : result.notes) {
        std::fprintf(stderr, "fenwick-switch: tftp %s: %s\n", AddressText(ip).c_str(),
                     note.c_str());
    }
    for (const TftpOutgoing& packet : result.packets) {
        AgentSocket& from = packet.from == TftpPort::Server ? tftp_.server : tftp_.transfer;
        const OutgoingDatagram out{ip, packet.destination, packet.port, packet.bytes};
        std::string error;
        if (from.SendAll(std::span(&out, 1), error) != 0) {
            std::fprintf(stderr, "fenwick-switch: tftp %s: %s\n", AddressText(ip).c_str(),
                         error.c_str());
        }
    }
}

void SwitchRunner::SendDueTraps() {
    const std::vector<OutgoingDatagram> traps = traffic_.TakeDueTraps(switches_, kStormRound);
    if (traps.empty()) {
        return;
    }
    std::string error;
    const std::size_t failed = socket_.SendAll(traps, error);
    traffic_.CountStormTraps(traps.size(), failed);
    // One line per storm is enough; stats has the count.
    if (failed > 0 && !stormFailureTold_) {
        std::fprintf(stderr, "fenwick-switch: storm: %s\n", error.c_str());
        stormFailureTold_ = true;
    }
}

void SwitchRunner::ServeRequests() {
    Drain(socket_, "receive", [this](const ReceivedDatagram& request) { Serve(request); });
}

void SwitchRunner::Serve(const ReceivedDatagram& request) {
    const Delivery delivery = switches_.Route(request.destination);
    struct Answered {
        std::size_t agent;
        AgentEvent event;
        std::uint32_t previousIp;
    };
    std::vector<OutgoingDatagram> replies;
    std::vector<Answered> answered;
    for (const std::size_t index : delivery.agents) {
        Agent& agent = switches_.Agents()[index];
        // The answer leaves from the address the request found the switch at, even when the
        // request gave it a new one.
        const std::uint32_t previousIp = agent.Settings().ip;
        AgentAnswer answer = agent.Handle(request.bytes, delivery.reception);
        if (!answer.reply.empty()) {
            replies.push_back(
                {previousIp, request.source, request.sourcePort, std::move(answer.reply)});
        }
        answered.push_back({index, answer.event, previousIp});
    }
    if (verbose_) {
        std::fprintf(stderr, "fenwick-switch: code %u from %s:%u to %s: %zu answers\n",
                     DecodeHeader(request.bytes).CommandCode, AddressText(request.source).c_str(),
                     request.sourcePort, AddressText(request.destination).c_str(), replies.size());
    }
    std::string error;
    if (!Send(replies, error)) {
        std::fprintf(stderr, "fenwick-switch: %s\n", error.c_str());
    }
    for (const Answered& a : answered) {
        AfterAnswer(switches_.Agents()[a.agent], a.event, a.previousIp);
    }
}

void SwitchRunner::AfterAnswer(const Agent& agent, AgentEvent event, std::uint32_t previousIp) {
    const std::string mac = MacText(agent.Settings().mac);
    switch (event) {
    case AgentEvent::None:
        return;
    case AgentEvent::AddressChanged: {
        const std::uint32_t ip = agent.Settings().ip;
        std::fprintf(stderr, "fenwick-switch: switch %s moves from %s to %s\n", mac.c_str(),
                     AddressText(previousIp).c_str(), AddressText(ip).c_str());
        if (!addresses_) {
            std::fprintf(stderr, "fenwick-switch: without --interface the address stays\n");
            return;
        }
        std::string error;
        if (addresses_->Add(ip, error) != 0) {
            std::fprintf(stderr, "fenwick-switch: %s\n", error.c_str());
        }
        // Another switch may have taken the old address meanwhile; it keeps it then.
        if (switches_.FindByAddress(previousIp) == nullptr &&
            addresses_->Remove(previousIp, error) != 0) {
            std::fprintf(stderr, "fenwick-switch: %s\n", error.c_str());
        }
        return;
    }
    case AgentEvent::UpgradeTriggered:
        // The agent has told its TFTP server, which notes it with the next write request.
        std::fprintf(stderr, "fenwick-switch: upgrade triggered on %s (%s)\n",
                     AddressText(agent.Settings().ip).c_str(), mac.c_str());
        return;
    }
}

void SwitchRunner::AcceptClients() {
    for (;;) {
        UniqueFd fd = control_->Accept();
        if (!fd) {
            return;
        }
        clients_.emplace_back(std::move(fd));
    }
}

void SwitchRunner::ServeClient(ControlConnection& client) {
    switch (client.Read()) {
    case ControlConnection::State::Waiting:
        return;
    case ControlConnection::State::Broken:
        client.Answer(FormatControlAnswer(false, "unreadable command"));
        return;
    case ControlConnection::State::Complete:
        break;
    }
    const bool stormBefore = traffic_.StormRunning();
    ControlResult result = RunControlCommand(client.Line(), switches_, traffic_);
    if (!stormBefore && traffic_.StormRunning()) {
        stormFailureTold_ = false;
    }
    std::string error;
    // Every datagram a command sends is a trap.
    if (!Send(result.datagrams, error, true)) {
        result.ok = false;
        result.text = error;
    }
    if (verbose_) {
        std::fprintf(stderr, "fenwick-switch: control \"%.*s\": %s\n",
                     static_cast<int>(client.Line().size()), client.Line().data(),
                     result.ok ? "ok" : result.text.c_str());
    }
    client.Answer(FormatControlAnswer(result.ok, result.text));
}

bool SwitchRunner::Send(const std::vector<OutgoingDatagram>& datagrams, std::string& error,
                        bool traps) {
    if (datagrams.empty()) {
        return true;
    }
    const std::size_t failed = socket_.SendAll(datagrams, error);
    if (traps) {
        traffic_.CountTraps(datagrams.size(), failed);
    }
    if (failed > 1) {
        error += " (and " + std::to_string(failed - 1) + " more)";
    }
    return failed == 0;
}

} // namespace fenwick::sim
