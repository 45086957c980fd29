// The DEVICE of a fenwickctl command: a MAC address or a dotted IPv4 address, as an operator
// types it in a script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fenwick::ctl {

struct DeviceArgument {
    enum class Kind { Mac, Ip };
    Kind kind = Kind::Mac;
    std::string macText;  // Kind::Mac: 12 lowercase hexadecimal digits, as the lists show it
    std::uint32_t ip = 0; // Kind::Ip: host order, first octet most significant
};

// 12 hexadecimal digits in either case, bare or with one kind of separator (':' or '-') between
// every pair; or four decimal octets of 0 to 255 joined by dots. Nothing for anything else.
std::optional<DeviceArgument> ReadDeviceArgument(std::string_view text);

// Four decimal octets of 0 to 255 joined by dots, host order; nothing for anything else.
std::optional<std::uint32_t> ReadDottedAddress(std::string_view text);

} // namespace fenwick::ctl
