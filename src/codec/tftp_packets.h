// The TFTP packets of a firmware write (RFC 1350, "octet" mode): the write request and the data
// blocks the program sends, and the acknowledgements and errors it receives. Every number
// travels big-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace fenwick {

enum TftpOpcode : std::uint16_t {
    kTftpWriteRequest = 2,
    kTftpData = 3,
    kTftpAcknowledgement = 4,
    kTftpError = 5,
};

inline constexpr std::size_t kTftpBlockSize = 512;       // data bytes in every block but the last
inline constexpr std::size_t kTftpDataHeaderSize = 4;    // opcode, block number
inline constexpr std::size_t kTftpMaxFileNameSize = 127; // FirmwarePath without its zero byte
inline constexpr std::string_view kTftpMode = "octet";

// Opcode, file name, zero, mode, zero: n + 9 bytes for a name of n characters.
inline constexpr std::size_t kTftpWriteRequestMaxSize =
    2 + kTftpMaxFileNameSize + 1 + kTftpMode.size() + 1;
inline constexpr std::size_t kTftpDataMaxSize = kTftpDataHeaderSize + kTftpBlockSize;

static_assert(kTftpWriteRequestMaxSize == kTftpMaxFileNameSize + 9);
static_assert(kTftpDataMaxSize == 516);

using TftpWriteRequestBuffer = std::array<std::uint8_t, kTftpWriteRequestMaxSize>;
using TftpDataBuffer = std::array<std::uint8_t, kTftpDataMaxSize>;

// Builds the write request for `fileName` (cut to kTftpMaxFileNameSize bytes, and at its first
// zero byte) into `buffer`; returns the bytes to send.
std::span<const std::uint8_t> BuildTftpWriteRequest(TftpWriteRequestBuffer& buffer,
                                                    std::string_view fileName);

// Builds data block `block` from `data` (at most kTftpBlockSize bytes are taken) into `buffer`;
// returns the bytes to send.
std::span<const std::uint8_t> BuildTftpData(TftpDataBuffer& buffer, std::uint16_t block,
                                            std::span<const std::uint8_t> data);

struct TftpReply {
    enum class Kind {
        Acknowledgement, // `block` is the acknowledged block
        Error,           // `errorText` is the device's message
        Other,           // anything else, including a datagram too short for its opcode
    };
    Kind kind = Kind::Other;
    std::uint16_t block = 0;
    // A view into the datagram: from byte 4 up to the first zero byte or the end of the
    // datagram, whichever comes first. The error code before it plays no part.
    std::string_view errorText;
};

TftpReply ParseTftpReply(std::span<const std::uint8_t> datagram);

} // namespace fenwick
