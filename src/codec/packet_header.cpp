#include "packet_header.h"

#include "byte_order.h"
#include "validation.h"

#include <algorithm>
#include <cstring>

namespace fenwick {

void EncodeHeader(const PacketHeader& header, std::span<std::uint8_t, kHeaderLength> out) {
    PacketHeaderWire wire{};
    StoreBe16(wire.ProtocolVersion, header.ProtocolVersion);
    StoreBe16(wire.Direction, header.Direction);
    std::copy(header.Mac.begin(), header.Mac.end(), wire.Mac);
    StoreBe16(wire.InterfaceVersion, header.InterfaceVersion);
    StoreBe16(wire.CommandCode, header.CommandCode);
    StoreBe16(wire.Status, header.Status);
    StoreBe32(wire.AgentKey, header.AgentKey);
    StoreBe16(wire.Sequence, header.Sequence);
    std::memcpy(out.data(), &wire, kHeaderLength);
}

PacketHeader DecodeHeader(std::span<const std::uint8_t> datagram) {
    PacketHeaderWire wire{};
    if (!datagram.empty()) {
        std::memcpy(&wire, datagram.data(), std::min(datagram.size(), kHeaderLength));
    }
    PacketHeader header;
    header.ProtocolVersion = LoadBe16(wire.ProtocolVersion);
    header.Direction = LoadBe16(wire.Direction);
    std::copy(std::begin(wire.Mac), std::end(wire.Mac), header.Mac.begin());
    header.InterfaceVersion = LoadBe16(wire.InterfaceVersion);
    header.CommandCode = LoadBe16(wire.CommandCode);
    header.Status = LoadBe16(wire.Status);
    header.AgentKey = LoadBe32(wire.AgentKey);
    header.Sequence = LoadBe16(wire.Sequence);
    return header;
}

std::span<const std::uint8_t> BuildRequestHeader(std::uint16_t commandCode, std::uint32_t agentKey,
                                                 std::span<std::uint8_t, kHeaderLength> out) {
    PacketHeader header;
    header.ProtocolVersion = kProtocolVersion;
    header.Direction = kDirectionRequest;
    header.CommandCode = commandCode;
    header.AgentKey = agentKey;
    EncodeHeader(header, out);
    return out;
}

std::span<const std::uint8_t>
BuildTargetedRequestHeader(std::uint16_t commandCode, std::uint32_t agentKey,
                           std::string_view macText, std::uint16_t sequence,
                           std::span<std::uint8_t, kHeaderLength> out) {
    PacketHeader header;
    header.ProtocolVersion = kProtocolVersion;
    header.Direction = kDirectionRequest;
    header.CommandCode = commandCode;
    header.AgentKey = agentKey;
    header.Sequence = sequence;
    // A shorter or longer text would make a header with a partial or another address, which
    // no device takes.
    if (macText.size() != 2 * header.Mac.size() || !HexTextToBytes(macText, header.Mac)) {
        return {};
    }
    EncodeHeader(header, out);
    return out;
}

} // namespace fenwick
