// The TFTP packets (RFC 1350) the simulated switches' server reads and writes. Every number is
// big-endian; a request is the opcode, the file name, a zero, the mode and a zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fenwick::sim {

inline constexpr std::uint16_t kTftpServerPort = 69;
inline constexpr std::size_t kTftpBlockSize = 512;

// Offsets: the opcode, then the block number (data, acknowledgement) or error code, then the
// data or the error text.
inline constexpr std::size_t kTftpOpcodeOffset = 0;
inline constexpr std::size_t kTftpNumberOffset = 2;
inline constexpr std::size_t kTftpPayloadOffset = 4;
static_assert(kTftpNumberOffset == kTftpOpcodeOffset + sizeof(std::uint16_t));
static_assert(kTftpPayloadOffset == kTftpNumberOffset + sizeof(std::uint16_t));
// A full data packet; RFC 1350 datagrams are no longer than this.
inline constexpr std::size_t kTftpMaxDataPacket = kTftpPayloadOffset + kTftpBlockSize;
static_assert(kTftpMaxDataPacket == 516);

enum class TftpOpcode : std::uint16_t {
    ReadRequest = 1,
    WriteRequest = 2,
    Data = 3,
    Ack = 4,
    Error = 5,
};

// RFC 1350 error codes the server uses.
inline constexpr std::uint16_t kTftpErrorDiskFull = 3;
inline constexpr std::uint16_t kTftpErrorIllegalOperation = 4;
inline constexpr std::uint16_t kTftpErrorUnknownTransfer = 5;

struct TftpRequest {
    TftpOpcode opcode = TftpOpcode::WriteRequest;
    std::string fileName;
    std::string mode;
};

struct TftpData {
    std::uint16_t block = 0;
    std::span<const std::uint8_t> payload;
};

struct TftpError {
    std::uint16_t code = 0;
    std::string text;
};

// The opcode of a datagram of at least two bytes, whatever its value.
std::optional<std::uint16_t> TftpOpcodeOf(std::span<const std::uint8_t> packet);

// A read or write request: both texts must end with their zero byte inside the datagram.
// What follows the mode (RFC 2347 options) is ignored.
std::optional<TftpRequest> DecodeTftpRequest(std::span<const std::uint8_t> packet);
std::optional<TftpData> DecodeTftpData(std::span<const std::uint8_t> packet);
std::optional<std::uint16_t> DecodeTftpAck(std::span<const std::uint8_t> packet);
// The text up to its zero byte, or to the end of the datagram when it has none.
std::optional<TftpError> DecodeTftpError(std::span<const std::uint8_t> packet);

std::vector<std::uint8_t> EncodeTftpRequest(TftpOpcode opcode, std::string_view fileName,
                                            std::string_view mode);
std::vector<std::uint8_t> EncodeTftpData(std::uint16_t block,
                                         std::span<const std::uint8_t> payload);
std::vector<std::uint8_t> EncodeTftpAck(std::uint16_t block);
std::vector<std::uint8_t> EncodeTftpError(std::uint16_t code, std::string_view text);

} // namespace fenwick::sim
