// Switches and requests for the simulated switch's tests.
#pragma once

#include "codec/record_builders.h"
#include "codec/test_addresses.h"
#include "fenwick-switch/settings_file.h"
#include "fenwick-switch/switch_settings.h"

#include <ostream>

namespace fenwick::sim::testing {

using fenwick::testing::AppendAddress;
using fenwick::testing::AppendText;
using fenwick::testing::Bytes;
using fenwick::testing::Datagram;
using fenwick::testing::Ip;

inline constexpr std::uint32_t kKey = 0x1A2B3C4D;
inline constexpr std::array<std::uint8_t, 6> kMac = {0x02, 0x00, 0x0A, 0x4D, 0x01, 0x05};
inline constexpr std::array<std::uint8_t, 6> kOtherMac = {0x02, 0x00, 0x0A, 0x4D, 0x01, 0x06};

inline SwitchSettings LabSwitch() {
    SwitchSettings sw;
    sw.ip = Ip("10.77.1.5");
    sw.mac = kMac;
    sw.product = "ES-8 Managed";
    sw.systemName = "core";
    sw.location = "rack 2";
    sw.subnetMask = Ip("255.255.0.0");
    sw.gateway = Ip("10.77.0.254");
    sw.trapReceiver = Ip("10.77.0.1");
    sw.password = "admin";
    return sw;
}

// A request as the manager sends it.
inline Bytes Request(std::uint16_t code, const Bytes& body = {},
                     std::array<std::uint8_t, 6> mac = {}, std::uint16_t sequence = 0,
                     std::uint32_t key = kKey, std::uint16_t direction = kDirectionRequest) {
    PacketHeader header;
    header.ProtocolVersion = kProtocolVersion;
    header.Direction = direction;
    header.Mac = mac;
    header.CommandCode = code;
    header.AgentKey = key;
    header.Sequence = sequence;
    return Datagram(header, body);
}

// The header an agent with these settings puts on its answers.
inline PacketHeader ReplyHeader(const SwitchSettings& sw, std::uint16_t code,
                                std::uint16_t sequence = 0, std::uint16_t status = 0) {
    PacketHeader header;
    header.ProtocolVersion = sw.protocolVersion;
    header.Direction = kDirectionReply;
    header.Mac = sw.mac;
    header.InterfaceVersion = sw.interfaceVersion;
    header.CommandCode = code;
    header.Status = status;
    header.AgentKey = kKey;
    header.Sequence = sequence;
    return header;
}

// Elements 1 to 7, written out by hand.
inline Bytes InformationBody(const SwitchSettings& sw) {
    Bytes body;
    AppendText(body, 1, sw.product);
    AppendText(body, 2, sw.systemName);
    AppendText(body, 3, sw.location);
    AppendAddress(body, 4, sw.ip);
    AppendAddress(body, 5, sw.subnetMask);
    AppendAddress(body, 6, sw.gateway);
    AppendAddress(body, 7, sw.trapReceiver);
    return body;
}

} // namespace fenwick::sim::testing

namespace fenwick::sim {

// Failure messages show a switch as its settings file block.
inline void PrintTo(const SwitchSettings& settings, std::ostream* out) {
    *out << "\n" << FormatSwitchBlock(settings);
}

} // namespace fenwick::sim
