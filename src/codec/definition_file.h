// The definition file (define.ecf): a byte-sum check, an affine character cipher modulo 96,
// and two hexadecimal fields, the agent key after the first "=" and the base port after the
// next. Deployed files depend on the reader's exact handling of line ends and of the last four
// bytes, so both are reproduced here as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace fenwick {

inline constexpr std::size_t kDefinitionFileMinLength = 4;
inline constexpr std::size_t kDefinitionFileMaxLength = 256;

// The protocol values the definition file supplies; all zero until a file has been accepted.
struct ProtocolValues {
    std::uint32_t AgentKey = 0;
    std::uint16_t BasePort = 0;    // BroadcastSocket's port
    std::uint16_t UnicastPort = 0; // BasePort + 1, 16-bit arithmetic
    std::uint16_t AgentPort = 0;   // BasePort + 2, the destination of every request
};

enum class DefinitionStatus {
    Accepted,
    ChecksumError,
    TooShort, // fewer than kDefinitionFileMinLength bytes
    TooLong,  // more than kDefinitionFileMaxLength bytes
};

struct DefinitionResult {
    DefinitionStatus status = DefinitionStatus::ChecksumError;
    ProtocolValues values; // meaningful only when accepted
};

// 8-bit one's-complement sum (end-around carry): 255 exactly when the plain sum is a positive
// multiple of 255.
std::uint16_t FoldedByteSum(std::span<const std::uint8_t> bytes);

struct EuclidCoefficients {
    std::int32_t s; // coefficient of a
    std::int32_t t; // coefficient of b
};

// Coefficients with a*s + b*t = gcd(a, b), for two positive numbers.
EuclidCoefficients ExtendedEuclid(std::uint32_t a, std::uint32_t b);

// The y in 0..modulus-1 with (multiplier*y + offset) mod modulus = x.
std::uint32_t AffineDecode(std::uint32_t x, std::uint32_t modulus, std::uint32_t multiplier,
                           std::uint32_t offset);

// Deciphers one stored character; bytes outside 0x20..0x7F are returned unchanged.
std::uint8_t DecodeDefinitionChar(std::uint8_t ch);

// Enciphers one plain character, the inverse of DecodeDefinitionChar.
std::uint8_t EncodeDefinitionChar(std::uint8_t ch);

// Reads a whole file's bytes into the protocol values.
DefinitionResult DecodeDefinitionFile(std::span<const std::uint8_t> file);

// Produces a file that DecodeDefinitionFile reads back as the given key and base port.
std::vector<std::uint8_t> EncodeDefinitionFile(std::uint32_t agentKey, std::uint16_t basePort);

} // namespace fenwick
