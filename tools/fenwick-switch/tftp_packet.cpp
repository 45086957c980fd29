#include "tftp_packet.h"

#include "codec/byte_order.h"

#include <algorithm>

namespace fenwick::sim {
namespace {

std::optional<std::uint16_t> NumberOf(std::span<const std::uint8_t> packet, TftpOpcode opcode) {
    if (packet.size() < kTftpPayloadOffset || TftpOpcodeOf(packet) != std::uint16_t(opcode)) {
        return std::nullopt;
    }
    return LoadBe16(packet.data() + kTftpNumberOffset);
}

// A zero-terminated text at the start of `bytes`; `rest` is what follows its zero.
std::optional<std::string> TerminatedText(std::span<const std::uint8_t> bytes,
                                          std::span<const std::uint8_t>& rest) {
    const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    if (zero == bytes.end()) {
        return std::nullopt;
    }
    rest = bytes.subspan(static_cast<std::size_t>(zero - bytes.begin()) + 1);
    return std::string(bytes.begin(), zero);
}

std::vector<std::uint8_t> Head(TftpOpcode opcode, std::uint16_t number) {
    std::vector<std::uint8_t> packet(kTftpPayloadOffset);
    StoreBe16(packet.data() + kTftpOpcodeOffset, static_cast<std::uint16_t>(opcode));
    StoreBe16(packet.data() + kTftpNumberOffset, number);
    return packet;
}

} // namespace

std::optional<std::uint16_t> TftpOpcodeOf(std::span<const std::uint8_t> packet) {
    if (packet.size() < kTftpNumberOffset) {
        return std::nullopt;
    }
    return LoadBe16(packet.data() + kTftpOpcodeOffset);
}

std::optional<TftpRequest> DecodeTftpRequest(std::span<const std::uint8_t> packet) {
    const auto opcode = TftpOpcodeOf(packet);
    if (opcode != std::uint16_t(TftpOpcode::ReadRequest) &&
        opcode != std::uint16_t(TftpOpcode::WriteRequest)) {
        return std::nullopt;
    }
    std::span<const std::uint8_t> rest;
    auto name = TerminatedText(packet.subspan(kTftpNumberOffset), rest);
    if (!name) {
        return std::nullopt;
    }
    auto mode = TerminatedText(rest, rest);
    if (!mode) {
        return std::nullopt;
    }
    return TftpRequest{static_cast<TftpOpcode>(*opcode), std::move(*name), std::move(*mode)};
}

std::optional<TftpData> DecodeTftpData(std::span<const std::uint8_t> packet) {
    const auto block = NumberOf(packet, TftpOpcode::Data);
    if (!block) {
        return std::nullopt;
    }
    return TftpData{*block, packet.subspan(kTftpPayloadOffset)};
}

std::optional<std::uint16_t> DecodeTftpAck(std::span<const std::uint8_t> packet) {
    return NumberOf(packet, TftpOpcode::Ack);
}

std::optional<TftpError> DecodeTftpError(std::span<const std::uint8_t> packet) {
    const auto code = NumberOf(packet, TftpOpcode::Error);
    if (!code) {
        return std::nullopt;
    }
    const auto text = packet.subspan(kTftpPayloadOffset);
    return TftpError{*code, std::string(text.begin(), std::find(text.begin(), text.end(), 0))};
}

std::vector<std::uint8_t> EncodeTftpRequest(TftpOpcode opcode, std::string_view fileName,
                                            std::string_view mode) {
    std::vector<std::uint8_t> packet(kTftpNumberOffset);
    StoreBe16(packet.data() + kTftpOpcodeOffset, static_cast<std::uint16_t>(opcode));
    packet.insert(packet.end(), fileName.begin(), fileName.end());
    packet.push_back(0);
    packet.insert(packet.end(), mode.begin(), mode.end());
    packet.push_back(0);
    return packet;
}

std::vector<std::uint8_t> EncodeTftpData(std::uint16_t block,
                                         std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> packet = Head(TftpOpcode::Data, block);
    packet.insert(packet.end(), payload.begin(), payload.end());
    return packet;
}

std::vector<std::uint8_t> EncodeTftpAck(std::uint16_t block) {
    return Head(TftpOpcode::Ack, block);
}

std::vector<std::uint8_t> EncodeTftpError(std::uint16_t code, std::string_view text) {
    std::vector<std::uint8_t> packet = Head(TftpOpcode::Error, code);
    packet.insert(packet.end(), text.begin(), text.end());
    packet.push_back(0);
    return packet;
}

} // namespace fenwick::sim
