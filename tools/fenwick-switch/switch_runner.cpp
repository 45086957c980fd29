#include "switch_runner.h"

#include "codec/packet_header.h"
#include "codec/text_forms.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <vector>

namespace fenwick::sim {

int SwitchRunner::Run() {
    for (;;) {
        std::vector<pollfd> watched;
        watched.push_back({signals_.Get(), POLLIN, 0});
        watched.push_back({socket_.Fd(), POLLIN, 0});
        if (control_) {
            watched.push_back({control_->Fd(), POLLIN, 0});
        }
        for (const ControlConnection& client : clients_) {
            watched.push_back({client.Fd(), POLLIN, 0});
        }
        if (poll(watched.data(), watched.size(), -1) < 0) {
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
        // Clients first, then new ones: `watched` lists the clients that existed before.
        std::size_t index = control_ ? 3 : 2;
        for (auto client = clients_.begin(); client != clients_.end(); ++index) {
            const auto current = client++;
            if (watched[index].revents != 0) {
                ServeClient(*current);
                if (current->Fd() < 0) {
                    clients_.erase(current);
                }
            }
        }
        if (control_ && watched[2].revents != 0) {
            AcceptClients();
        }
    }
}

void SwitchRunner::ServeRequests() {
    ReceivedDatagram request;
    for (;;) {
        const int got = socket_.Receive(request);
        if (got == 0) {
            return;
        }
        if (got < 0) {
            std::fprintf(stderr, "fenwick-switch: receive: %s\n", std::strerror(errno));
            return;
        }
        Serve(request);
    }
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
        // The firmware transfer (a TFTP server on port 69 of this switch's address, then a
        // restart delay) is not simulated yet; it starts from here.
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
    ControlResult result = RunControlCommand(client.Line(), switches_);
    std::string error;
    if (!Send(result.datagrams, error)) {
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

bool SwitchRunner::Send(const std::vector<OutgoingDatagram>& datagrams, std::string& error) {
    if (datagrams.empty()) {
        return true;
    }
    const std::size_t failed = socket_.SendAll(datagrams, error);
    if (failed > 1) {
        error += " (and " + std::to_string(failed - 1) + " more)";
    }
    return failed == 0;
}

} // namespace fenwick::sim
