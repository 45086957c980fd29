#include "tftp_packets.h"

#include "byte_order.h"

#include <algorithm>

namespace fenwick {

namespace {
constexpr std::size_t kOpcodeSize = 2;
constexpr std::size_t kAcknowledgementSize = 4; // opcode, block number
constexpr std::size_t kErrorTextOffset = 4;     // after opcode and error code
} // namespace

std::span<const std::uint8_t> BuildTftpWriteRequest(TftpWriteRequestBuffer& buffer,
                                                    std::string_view fileName) {
    fileName = fileName.substr(0, std::min(fileName.find('\0'), kTftpMaxFileNameSize));
    buffer.fill(0);
    StoreBe16(buffer.data(), kTftpWriteRequest);
    std::size_t at = kOpcodeSize;
    at = static_cast<std::size_t>(std::copy(fileName.begin(), fileName.end(), buffer.begin() + at) -
                                  buffer.begin());
    ++at; // the name's zero byte, already cleared
    at = static_cast<std::size_t>(
        std::copy(kTftpMode.begin(), kTftpMode.end(), buffer.begin() + at) - buffer.begin());
    ++at; // the mode's zero byte
    return std::span<const std::uint8_t>(buffer).first(at);
}

std::span<const std::uint8_t> BuildTftpData(TftpDataBuffer& buffer, std::uint16_t block,
                                            std::span<const std::uint8_t> data) {
    const std::size_t count = std::min(data.size(), kTftpBlockSize);
    buffer.fill(0);
    StoreBe16(buffer.data(), kTftpData);
    StoreBe16(buffer.data() + 2, block);
    std::copy_n(data.begin(), count, buffer.begin() + kTftpDataHeaderSize);
    return std::span<const std::uint8_t>(buffer).first(kTftpDataHeaderSize + count);
}

TftpReply ParseTftpReply(std::span<const std::uint8_t> datagram) {
    TftpReply reply;
    if (datagram.size() < kOpcodeSize) {
        return reply;
    }
    const std::uint16_t opcode = LoadBe16(datagram.data());
    if (opcode == kTftpAcknowledgement && datagram.size() >= kAcknowledgementSize) {
        reply.kind = TftpReply::Kind::Acknowledgement;
        reply.block = LoadBe16(datagram.data() + kOpcodeSize);
    } else if (opcode == kTftpError && datagram.size() >= kErrorTextOffset) {
        const std::span<const std::uint8_t> text = datagram.subspan(kErrorTextOffset);
        const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
        reply.kind = TftpReply::Kind::Error;
        reply.errorText = std::string_view(reinterpret_cast<const char*>(text.data()),
                                           static_cast<std::size_t>(end - text.begin()));
    }
    return reply;
}

} // namespace fenwick
