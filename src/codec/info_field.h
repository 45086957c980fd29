// Packet bodies: type-length-value elements (16-bit type, 16-bit length including the 4-byte
// head, then the value; big-endian).
#pragma once

#include "device_record.h"
#include "pending_set.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace fenwick {

enum InfoFieldType : std::uint16_t {
    kInfoProductName = 1,
    kInfoSystemName = 2,
    kInfoLocation = 3,
    kInfoIpAddress = 4,
    kInfoSubnetMask = 5,
    kInfoGateway = 6,
    kInfoTrapIp = 7,
    kInfoNewPassword = 8,
    kInfoPassword = 9,
};

inline constexpr std::size_t kInfoFieldHeadLength = 4;
inline constexpr std::size_t kAddressElementLength = kInfoFieldHeadLength + 4;

// The longest set body a record can produce: five text elements with full fields plus four
// address elements.
inline constexpr std::size_t kMaxSetBodyLength =
    5 * kInfoFieldHeadLength + sizeof(DeviceRecord::Password) + sizeof(DeviceRecord::ProductName) +
    sizeof(DeviceRecord::SystemName) + sizeof(DeviceRecord::Location) +
    sizeof(DeviceRecord::NewPassword) + 4 * kAddressElementLength;

// Encodes the set body of a record in the order 9, 1, 2, 3, 4, 7, 6, 5, then 8 when the new
// password is not empty, and records the body's IP address as the pending one.
// Returns the body written at the start of `out`, or nothing when `out` is too small (nothing
// is then pending).
std::span<const std::uint8_t> BuildSetBody(const DeviceRecord& record, std::span<std::uint8_t> out,
                                           PendingSet& pending);

// Fills the record from the elements of a reply body; fields without an element keep their
// value. Stops at an unknown type, at a text element whose length is below 4, and at any
// element that runs past the body. Every text is cut to its field.
void ParseReplyBody(std::span<const std::uint8_t> body, DeviceRecord& record);

} // namespace fenwick
