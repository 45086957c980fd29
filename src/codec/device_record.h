// The 272-byte record of one device. Monitor list files are these records written one after
// another, byte for byte, so the layout below is binding: offsets, padding, little-endian numbers.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace fenwick {

// ListState values.
inline constexpr std::int32_t kListStateNoRow = 0;
inline constexpr std::int32_t kListStateHasRow = 1;
inline constexpr std::int32_t kListStateNotAlive = 2;

// StatusImage values: the image a Monitor List row shows in its "S" column.
inline constexpr std::int32_t kStatusImageNone = -1;
inline constexpr std::int32_t kStatusImageWarning = 0; // never set here; a file may hold it
inline constexpr std::int32_t kStatusImageNotAlive = 1;

// Answered values: whether the device was heard from since the last request was counted.
inline constexpr std::int32_t kNotAnswered = 0;
inline constexpr std::int32_t kAnswered = 1;

// AgentState value of an agent that reported loader mode.
inline constexpr std::uint16_t kAgentStateLoader = 100;

struct DeviceRecord {
    std::uint32_t AgentKey;
    char MacText[16];
    char ProductName[41];
    char SystemName[21];
    char Location[21];
    char IpText[20];
    char TrapIpText[20];
    char SubnetMaskText[20];
    char GatewayText[20];
    char Password[21];
    char NewPassword[21];
    std::uint8_t Padding1[3];
    std::uint32_t IpAddress;
    std::uint32_t TrapIp;
    std::uint32_t SubnetMask;
    std::uint32_t Gateway;
    std::int32_t ListState;
    std::int32_t MissCount;
    std::int32_t StatusImage;
    std::int32_t Answered;
    std::uint16_t LastCommand;
    std::uint16_t ProtocolVersion;
    std::uint16_t InterfaceVersion;
    std::uint16_t Direction;
    std::uint16_t AgentState;
    std::uint8_t Padding2[2];
};

// Records are copied to and from files as raw bytes; that is only sound on a little-endian host.
static_assert(std::endian::native == std::endian::little);
static_assert(std::is_standard_layout_v<DeviceRecord>);
static_assert(std::is_trivially_copyable_v<DeviceRecord>);
static_assert(sizeof(DeviceRecord) == 272);
static_assert(offsetof(DeviceRecord, AgentKey) == 0);
static_assert(offsetof(DeviceRecord, MacText) == 4);
static_assert(offsetof(DeviceRecord, ProductName) == 20);
static_assert(offsetof(DeviceRecord, SystemName) == 61);
static_assert(offsetof(DeviceRecord, Location) == 82);
static_assert(offsetof(DeviceRecord, IpText) == 103);
static_assert(offsetof(DeviceRecord, TrapIpText) == 123);
static_assert(offsetof(DeviceRecord, SubnetMaskText) == 143);
static_assert(offsetof(DeviceRecord, GatewayText) == 163);
static_assert(offsetof(DeviceRecord, Password) == 183);
static_assert(offsetof(DeviceRecord, NewPassword) == 204);
static_assert(offsetof(DeviceRecord, Padding1) == 225);
static_assert(offsetof(DeviceRecord, IpAddress) == 228);
static_assert(offsetof(DeviceRecord, TrapIp) == 232);
static_assert(offsetof(DeviceRecord, SubnetMask) == 236);
static_assert(offsetof(DeviceRecord, Gateway) == 240);
static_assert(offsetof(DeviceRecord, ListState) == 244);
static_assert(offsetof(DeviceRecord, MissCount) == 248);
static_assert(offsetof(DeviceRecord, StatusImage) == 252);
static_assert(offsetof(DeviceRecord, Answered) == 256);
static_assert(offsetof(DeviceRecord, LastCommand) == 260);
static_assert(offsetof(DeviceRecord, ProtocolVersion) == 262);
static_assert(offsetof(DeviceRecord, InterfaceVersion) == 264);
static_assert(offsetof(DeviceRecord, Direction) == 266);
static_assert(offsetof(DeviceRecord, AgentState) == 268);
static_assert(offsetof(DeviceRecord, Padding2) == 270);

// Both device tables hold this many records.
inline constexpr std::size_t kDeviceTableSlots = 256;
using DeviceTable = std::array<DeviceRecord, kDeviceTableSlots>;

// A record with every byte zero, padding included.
inline DeviceRecord ZeroRecord() {
    DeviceRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

// Marks a record as just heard from (a reply, a trap, or a record read back from a file): no
// request missed, in `listState`, showing `statusImage`.
inline void MarkHeardFrom(DeviceRecord& record, std::int32_t listState, std::int32_t statusImage) {
    record.ListState = listState;
    record.StatusImage = statusImage;
    record.Answered = kAnswered;
    record.MissCount = 0;
}

// The text held in a fixed field: up to its first zero byte, and never past the field, even
// when a record read from a file has no zero byte in it.
template <std::size_t N> std::string_view FieldText(const char (&field)[N]) {
    return {field, static_cast<std::size_t>(std::find(field, field + N, '\0') - field)};
}

// Writes a text into a fixed field, cut to leave room for the terminating zero, and clears the
// rest of the field so that records compare and save byte for byte.
template <std::size_t N> void SetFieldText(char (&field)[N], std::string_view text) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::copy_n(text.data(), length, field);
    std::memset(field + length, 0, N - length);
}

} // namespace fenwick
