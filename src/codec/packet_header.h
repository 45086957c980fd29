// The 40-byte header that starts every datagram of the agent protocol, in both directions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace fenwick {

// Wire layout; every multi-byte field is big-endian.
struct PacketHeaderWire {
    std::uint8_t ProtocolVersion[2];
    std::uint8_t Direction[2];
    std::uint8_t Mac[6];
    std::uint8_t InterfaceVersion[2];
    std::uint8_t CommandCode[2];
    std::uint8_t Status[2];
    std::uint8_t AgentKey[4];
    std::uint8_t Reserved1[6];
    std::uint8_t Sequence[2];
    std::uint8_t Reserved2[12];
};
static_assert(std::is_standard_layout_v<PacketHeaderWire>);
static_assert(sizeof(PacketHeaderWire) == 40);
static_assert(offsetof(PacketHeaderWire, ProtocolVersion) == 0);
static_assert(offsetof(PacketHeaderWire, Direction) == 2);
static_assert(offsetof(PacketHeaderWire, Mac) == 4);
static_assert(offsetof(PacketHeaderWire, InterfaceVersion) == 10);
static_assert(offsetof(PacketHeaderWire, CommandCode) == 12);
static_assert(offsetof(PacketHeaderWire, Status) == 14);
static_assert(offsetof(PacketHeaderWire, AgentKey) == 16);
static_assert(offsetof(PacketHeaderWire, Reserved1) == 20);
static_assert(offsetof(PacketHeaderWire, Sequence) == 26);
static_assert(offsetof(PacketHeaderWire, Reserved2) == 28);

inline constexpr std::size_t kHeaderLength = sizeof(PacketHeaderWire);
inline constexpr std::size_t kMaxDatagramLength = 1500;
inline constexpr std::size_t kMaxBodyLength = kMaxDatagramLength - kHeaderLength;

inline constexpr std::uint16_t kProtocolVersion = 2;
inline constexpr std::uint16_t kDirectionRequest = 0;
inline constexpr std::uint16_t kDirectionReply = 1;

enum CommandCode : std::uint16_t {
    kCommandDiscovery = 1,
    kCommandDeviceInfo = 2,
    kCommandSetBroadcast = 3,
    kCommandSetBroadcastReply = 4,
    kCommandPoll = 5,
    kCommandSetUnicast = 7,
    kCommandSetUnicastReply = 8,
    kCommandTrap = 9,
    kCommandUpgradeTrigger = 10,
    kCommandUpgradeTriggerReply = 11,
    kCommandLoaderMode = 12,
};

// The header's fields as host-order values.
struct PacketHeader {
    std::uint16_t ProtocolVersion = 0;
    std::uint16_t Direction = 0;
    std::array<std::uint8_t, 6> Mac{};
    std::uint16_t InterfaceVersion = 0;
    std::uint16_t CommandCode = 0;
    std::uint16_t Status = 0;
    std::uint32_t AgentKey = 0;
    std::uint16_t Sequence = 0;
};

void EncodeHeader(const PacketHeader& header, std::span<std::uint8_t, kHeaderLength> out);

// Reads the header from the start of a datagram; bytes the datagram does not have count as zero.
PacketHeader DecodeHeader(std::span<const std::uint8_t> datagram);

// Request without target (discovery 1, poll 5): returns the 40 bytes written.
std::span<const std::uint8_t> BuildRequestHeader(std::uint16_t commandCode, std::uint32_t agentKey,
                                                 std::span<std::uint8_t, kHeaderLength> out);

// Request addressed to one device (set 3 and 7, upgrade trigger 10): also carries the target's
// MAC address, taken from its 12-digit MAC text, and the current set sequence. Returns the 40
// bytes written, or nothing when the MAC text is not 12 hexadecimal digits (the header is then
// left unwritten).
std::span<const std::uint8_t>
BuildTargetedRequestHeader(std::uint16_t commandCode, std::uint32_t agentKey,
                           std::string_view macText, std::uint16_t sequence,
                           std::span<std::uint8_t, kHeaderLength> out);

} // namespace fenwick
