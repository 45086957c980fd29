// lab_probe: the lab smoke test's client. Runs inside the lab's manager namespace (scripts/lab
// run -- lab_probe) and checks the simulated switches over real sockets: every switch answers
// one broadcast discovery with its own information, a unicast poll is answered, a unicast set
// moves a switch to a new address where it then answers, a trap asked for through the control
// channel arrives, every trap of a storm arrives once from the switch whose turn it was while
// polls are still answered, and a burst brings one trap from each switch. Prints what failed
// and exits 1, or exits 0.
#include "codec/info_field.h"
#include "codec/packet_header.h"
#include "codec/pending_set.h"
#include "codec/text_forms.h"
#include "fenwick-switch/agent.h"
#include "fenwick-switch/control_channel.h"
#include "fenwick-switch/settings_file.h"
#include "fenwick-switch/trap_traffic.h"
#include "fenwick-switch/unique_fd.h"
#include "fenwick-switch/value_text.h"
#include "lab_sockets.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fenwick::sim {
namespace {

using lab::Bytes;
using lab::Clock;
using lab::Nanoseconds;

// Only a bound on a broken lab; a working one answers in milliseconds.
constexpr auto kGiveUp = std::chrono::seconds(10);

int failures = 0;

void Fail(const std::string& what) {
    std::fprintf(stderr, "lab_probe: FAIL: %s\n", what.c_str());
    ++failures;
}

using lab::Datagram;
using lab::Receive;
using lab::RequestHeader;

UniqueFd OpenSocket(std::uint16_t port) {
    std::string error;
    UniqueFd fd = lab::OpenSocket(port, error);
    if (!fd) {
        Fail(error);
    }
    return fd;
}

bool SendTo(int fd, std::uint32_t ip, std::uint16_t port, const Bytes& bytes) {
    if (const auto error = lab::SendDatagram(fd, ip, port, bytes)) {
        Fail(*error);
        return false;
    }
    return true;
}

// The next datagram from `ip`, skipping others (late discovery answers, say).
std::optional<Datagram> ReceiveFrom(int fd, std::uint32_t ip) {
    const auto deadline = Clock::now() + kGiveUp;
    while (auto d = Receive(fd, deadline)) {
        if (d->source == ip) {
            return d;
        }
    }
    Fail("nothing came from " + AddressText(ip));
    return std::nullopt;
}

// Checks an answer against the switch's settings: header, source and information.
void CheckAnswer(const Datagram& d, const SwitchSettings& sw, std::uint16_t code, std::uint32_t key,
                 std::uint16_t agentPort) {
    const std::string who = "answer " + std::to_string(code) + " of " + AddressText(sw.ip);
    const PacketHeader h = DecodeHeader(d.bytes);
    const std::uint16_t expectedCode =
        sw.loader && code == kCommandDeviceInfo ? std::uint16_t{kCommandLoaderMode} : code;
    if (d.bytes.size() < kHeaderLength || h.ProtocolVersion != sw.protocolVersion ||
        h.Direction != kDirectionReply || h.Mac != sw.mac ||
        h.InterfaceVersion != sw.interfaceVersion || h.CommandCode != expectedCode ||
        (h.Status & 0x0F) != sw.errorCode || h.AgentKey != key) {
        Fail(who + ": wrong header");
    }
    if (d.sourcePort != agentPort) {
        Fail(who + ": came from port " + std::to_string(d.sourcePort));
    }
    if (expectedCode == kCommandLoaderMode) {
        return;
    }
    DeviceRecord record = ZeroRecord();
    ParseReplyBody(std::span(d.bytes).subspan(kHeaderLength), record);
    if (FieldText(record.ProductName) != sw.product ||
        FieldText(record.SystemName) != sw.systemName ||
        FieldText(record.Location) != sw.location || record.IpAddress != sw.ip ||
        record.SubnetMask != sw.subnetMask || record.Gateway != sw.gateway ||
        record.TrapIp != sw.trapReceiver) {
        Fail(who + ": wrong information");
    }
}

void Discovery(int fd, const NetworkSettings& lab) {
    std::map<std::uint32_t, const SwitchSettings*> expected;
    for (const SwitchSettings& sw : lab.switches) {
        if (!sw.silent) {
            expected[sw.ip] = &sw;
        }
    }
    if (!SendTo(fd, 0xFFFFFFFF, lab.AgentPort(), RequestHeader(kCommandDiscovery, lab.agentKey))) {
        return;
    }
    std::map<std::uint32_t, Nanoseconds> answered;
    const auto deadline = Clock::now() + kGiveUp;
    while (answered.size() < expected.size()) {
        const auto d = Receive(fd, deadline);
        if (!d) {
            break;
        }
        const auto sw = expected.find(d->source);
        if (sw == expected.end()) {
            Fail("a discovery answer from " + AddressText(d->source) + ", which is no switch");
        } else if (!answered.emplace(d->source, d->arrival).second) {
            Fail("a second discovery answer from " + AddressText(d->source));
        } else {
            CheckAnswer(*d, *sw->second, kCommandDeviceInfo, lab.agentKey, lab.AgentPort());
        }
    }
    if (answered.size() != expected.size()) {
        Fail(std::to_string(answered.size()) + " of " + std::to_string(expected.size()) +
             " switches answered the discovery");
        return;
    }
    if (!answered.empty()) {
        auto [first, last] =
            std::minmax_element(answered.begin(), answered.end(),
                                [](const auto& a, const auto& b) { return a.second < b.second; });
        const auto spread =
            std::chrono::duration_cast<std::chrono::microseconds>(last->second - first->second);
        std::printf("lab_probe: %zu switches answered one discovery within %lld us\n",
                    answered.size(), static_cast<long long>(spread.count()));
    }
}

const SwitchSettings* OrdinarySwitch(const NetworkSettings& lab, std::size_t skip) {
    for (const SwitchSettings& sw : lab.switches) {
        if (!sw.silent && !sw.loader && sw.protocolVersion == kProtocolVersion &&
            sw.errorCode == 0 && skip-- == 0) {
            return &sw;
        }
    }
    return nullptr;
}

void Poll(int fd, const NetworkSettings& lab, const SwitchSettings& sw) {
    if (SendTo(fd, sw.ip, lab.AgentPort(), RequestHeader(kCommandPoll, lab.agentKey))) {
        if (const auto d = ReceiveFrom(fd, sw.ip)) {
            CheckAnswer(*d, sw, kCommandDeviceInfo, lab.agentKey, lab.AgentPort());
        }
    }
}

// A unicast set that gives the switch a new address; it answers from the old one, then polls
// to the new one reach it.
void MoveByUnicastSet(int fd, const NetworkSettings& lab, SwitchSettings sw) {
    const std::uint32_t oldIp = sw.ip;
    sw.ip = 0x0A4D6401; // 10.77.100.1, outside what the generator hands out first
    sw.systemName = "moved";
    DeviceRecord record = RecordOf(sw);
    SetFieldText(record.Password, sw.password);
    Bytes request(kHeaderLength + kMaxSetBodyLength);
    BuildTargetedRequestHeader(kCommandSetUnicast, lab.agentKey, MacText(sw.mac), 0x1234,
                               std::span<std::uint8_t, kHeaderLength>(request.data(), 40));
    PendingSet pending;
    const std::size_t body =
        BuildSetBody(record, std::span(request).subspan(kHeaderLength), pending).size();
    request.resize(kHeaderLength + body);
    if (!SendTo(fd, oldIp, lab.AgentPort(), request)) {
        return;
    }
    if (const auto d = ReceiveFrom(fd, oldIp)) {
        CheckAnswer(*d, sw, kCommandSetUnicastReply, lab.agentKey, lab.AgentPort());
    }
    Poll(fd, lab, sw);
}

void Trap(int fd, const std::string& control, const SwitchSettings& sw) {
    const std::string text = "Port 3 link down";
    std::string output;
    std::string error;
    if (SendControlCommand(control, "trap " + AddressText(sw.ip) + " " + text, output, error) !=
        0) {
        Fail("control channel: " + error);
        return;
    }
    const auto d = ReceiveFrom(fd, sw.ip);
    if (!d) {
        return;
    }
    Bytes body = {static_cast<std::uint8_t>(sw.ip >> 24), static_cast<std::uint8_t>(sw.ip >> 16),
                  static_cast<std::uint8_t>(sw.ip >> 8), static_cast<std::uint8_t>(sw.ip)};
    body.insert(body.end(), text.begin(), text.end());
    body.push_back(0);
    if (DecodeHeader(d->bytes).CommandCode != kCommandTrap ||
        Bytes(d->bytes.begin() + kHeaderLength, d->bytes.end()) != body) {
        Fail("the trap from " + AddressText(sw.ip) + " is not as asked for");
    }
}

// The switches as they are now (a set may have moved one), in their order.
std::vector<SwitchSettings> CurrentSwitches(const std::string& control,
                                            const NetworkSettings& lab) {
    std::string output;
    std::string error;
    if (SendControlCommand(control, "list", output, error) != 0) {
        Fail("control channel: " + error);
        return {};
    }
    const auto now =
        ParseSettingsText("agent-key = " + AgentKeyText(lab.agentKey) +
                              "\nbase-port = " + std::to_string(lab.basePort) + "\n" + output,
                          error);
    if (!now) {
        Fail("list: " + error);
        return {};
    }
    return now->switches;
}

// The switches that send traps, in turn order.
std::vector<std::uint32_t> TrapSenders(const std::vector<SwitchSettings>& switches) {
    std::vector<std::uint32_t> senders;
    for (const SwitchSettings& sw : switches) {
        if (TrapRefusal(sw).empty()) {
            senders.push_back(sw.ip);
        }
    }
    return senders;
}

// Receives the numbered traps with `prefix` until `count` have come or the lab is clearly
// broken; checks each against the switch whose turn it was (`senders`, cyclic). Returns the
// time from the first to the last arrival.
Nanoseconds ReceiveNumberedTraps(int fd, const std::string& prefix, std::uint64_t count,
                                 const std::vector<std::uint32_t>& senders) {
    std::set<std::uint64_t> seen;
    Nanoseconds first{}, last{};
    const auto deadline = Clock::now() + kGiveUp;
    while (seen.size() < count) {
        const auto d = Receive(fd, deadline);
        if (!d) {
            break;
        }
        if (DecodeHeader(d->bytes).CommandCode != kCommandTrap ||
            d->bytes.size() < kHeaderLength + 5) {
            continue;
        }
        const std::uint8_t* body = d->bytes.data() + kHeaderLength;
        const std::uint32_t from = (std::uint32_t{body[0]} << 24) | (std::uint32_t{body[1]} << 16) |
                                   (std::uint32_t{body[2]} << 8) | body[3];
        const std::string text(reinterpret_cast<const char*>(body + 4));
        if (!text.starts_with(prefix + " ")) {
            continue;
        }
        const std::uint64_t sequence = std::strtoull(text.c_str() + prefix.size() + 1, nullptr, 10);
        if (sequence < 1 || sequence > count || !seen.insert(sequence).second) {
            Fail(prefix + ": an unexpected or repeated trap \"" + text + "\"");
            continue;
        }
        const std::uint32_t turn = senders[(sequence - 1) % senders.size()];
        if (from != d->source || from != turn || text != NumberedTrapText(prefix, sequence, turn)) {
            Fail(prefix + ": trap \"" + text + "\" came from " + AddressText(d->source) +
                 ", not from " + AddressText(turn));
        }
        first = seen.size() == 1 ? d->arrival : first;
        last = d->arrival;
    }
    if (seen.size() != count) {
        Fail(prefix + ": " + std::to_string(seen.size()) + " of " + std::to_string(count) +
             " traps arrived");
    }
    return last - first;
}

void Storm(int trapFd, int pollFd, const std::string& control, const NetworkSettings& lab) {
    const std::vector<SwitchSettings> switches = CurrentSwitches(control, lab);
    const std::vector<std::uint32_t> senders = TrapSenders(switches);
    const SwitchSettings* polled = nullptr;
    for (const SwitchSettings& sw : switches) {
        polled = polled == nullptr && TrapRefusal(sw).empty() && !sw.loader &&
                         sw.protocolVersion == kProtocolVersion && sw.errorCode == 0
                     ? &sw
                     : polled;
    }
    if (senders.empty() || polled == nullptr) {
        Fail("the storm needs switches that send traps");
        return;
    }
    const std::uint32_t rate = 1000;
    const std::uint32_t seconds = 2;
    std::string output;
    std::string error;
    if (SendControlCommand(control,
                           "trap-rate " + std::to_string(rate) + " " + std::to_string(seconds) +
                               " probe-storm",
                           output, error) != 0) {
        Fail("trap-rate: " + error);
        return;
    }
    // The switches keep answering while the storm goes on.
    Poll(pollFd, lab, *polled);
    const Nanoseconds span =
        ReceiveNumberedTraps(trapFd, "probe-storm", std::uint64_t{rate} * seconds, senders);
    if (SendControlCommand(control, "stats", output, error) != 0) {
        Fail("stats: " + error);
    } else if (output.find("storm finished rate 1000 seconds 2 planned 2000 taken 2000 sent 2000 "
                           "failed 0") == std::string::npos) {
        Fail("stats after the storm: " + output);
    }
    std::printf("lab_probe: a storm of %u traps at %u/s from %zu switches arrived over %.3f s\n",
                rate * seconds, rate, senders.size(), static_cast<double>(span.count()) / 1e9);

    if (SendControlCommand(control, "trap-burst probe-burst", output, error) != 0) {
        Fail("trap-burst: " + error);
        return;
    }
    const Nanoseconds burst = ReceiveNumberedTraps(trapFd, "probe-burst", senders.size(), senders);
    std::printf("lab_probe: a burst of %zu traps arrived within %lld us\n", senders.size(),
                static_cast<long long>(burst.count() / 1000));
}

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        std::fprintf(stderr, "lab_probe: %s is not set; run me through scripts/lab run\n", name);
        std::exit(2);
    }
    return value;
}

int Main() {
    const std::string configPath = Environment("FENWICK_LAB_CONFIG");
    const std::string control = Environment("FENWICK_LAB_CONTROL");
    std::ifstream file(configPath);
    std::ostringstream text;
    text << file.rdbuf();
    std::string error;
    const auto lab = ParseSettingsText(text.str(), error);
    if (!lab) {
        std::fprintf(stderr, "lab_probe: %s: %s\n", configPath.c_str(), error.c_str());
        return 2;
    }
    // The two ports the manager listens on: broadcasts leave from the first, unicasts from the
    // second, and each answer comes back to the port its request left from.
    const UniqueFd broadcast = OpenSocket(lab->basePort);
    const UniqueFd unicast = OpenSocket(static_cast<std::uint16_t>(lab->basePort + 1));
    if (!broadcast || !unicast) {
        return 1;
    }
    Discovery(broadcast.Get(), *lab);
    const SwitchSettings* polled = OrdinarySwitch(*lab, 0);
    const SwitchSettings* moved = OrdinarySwitch(*lab, 1);
    if (polled == nullptr || moved == nullptr) {
        Fail("the lab needs two switches without faults");
    } else {
        Poll(unicast.Get(), *lab, *polled);
        MoveByUnicastSet(unicast.Get(), *lab, *moved);
        Trap(broadcast.Get(), control, *polled);
        Storm(broadcast.Get(), unicast.Get(), control, *lab);
    }
    if (failures != 0) {
        return 1;
    }
    std::printf("lab_probe: discovery, poll, set, trap, storm and burst all as expected\n");
    return 0;
}

} // namespace
} // namespace fenwick::sim

int main() {
    return fenwick::sim::Main();
}
