// Checks of hexadecimal texts, host addresses, masks and gateways.
// Addresses and masks are 32-bit values in host order: the first dotted octet is the most
// significant byte. Every check is true when the input is accepted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace fenwick {

// Longest text HexTextToBytes converts; longer texts are refused rather than truncated.
inline constexpr std::size_t kMaxHexTextLength = 127;

// Turns pairs of hexadecimal digits into bytes, first digit of a pair the high half.
// Writes exactly text.size()/2 bytes; an odd last digit is checked but not converted.
// False, with `out` untouched, when a character is not a digit, the text is longer than
// kMaxHexTextLength, or `out` cannot hold the bytes.
[[nodiscard]] bool HexTextToBytes(std::string_view text, std::span<std::uint8_t> out);

// Classful test: a usable host address of class A, B or C.
[[nodiscard]] bool CheckHostAddress(std::uint32_t address);

// Rejects an address whose host part under the mask is all zeros or all ones
// (a mask of all ones accepts every address).
[[nodiscard]] bool CheckHostPart(std::uint32_t address, std::uint32_t mask);

// Accepts no gateway (0.0.0.0) or a gateway in the address's subnet.
[[nodiscard]] bool CheckGateway(std::uint32_t address, std::uint32_t gateway, std::uint32_t mask);

// Accepts two addresses in the same subnet under the mask.
[[nodiscard]] bool CheckSameSubnet(std::uint32_t a, std::uint32_t b, std::uint32_t mask);

} // namespace fenwick
