// Clients for the simulated switch's TFTP server in tests: single datagrams, and whole uploads
// in lock-step with retransmission, as the manager sends them (everything to port 69) or as an
// RFC 1350 client does (data to the port the server answered from).
#pragma once

#include "fenwick-switch/tftp_packet.h"
#include "fenwick-switch/tftp_server.h"
#include "switch_fixtures.h"

#include <algorithm>
#include <chrono>

namespace fenwick::sim::testing {

inline constexpr std::uint32_t kManagerIp = 0x0A4D0001; // 10.77.0.1
inline constexpr std::uint16_t kManagerTftpPort = 64517;
inline const SteadyTime kStart = SteadyTime{} + std::chrono::hours(1);

inline TftpIncoming From(const Bytes& bytes, TftpPort arrivedOn = TftpPort::Server,
                         std::uint32_t source = kManagerIp,
                         std::uint16_t sourcePort = kManagerTftpPort) {
    return {bytes, source, sourcePort, arrivedOn};
}

inline Bytes WriteRequest(std::string_view name = "C:\\fw\\image.hex",
                          std::string_view mode = "octet") {
    return EncodeTftpRequest(TftpOpcode::WriteRequest, name, mode);
}

inline Bytes DataBlock(std::uint16_t block, const Bytes& image) {
    const std::size_t offset = std::min(image.size(), std::size_t{block - 1u} * kTftpBlockSize);
    const std::size_t count = std::min(kTftpBlockSize, image.size() - offset);
    return EncodeTftpData(block, std::span(image).subspan(offset, count));
}

// An answer from the server's port `from` to the manager's TFTP port.
inline TftpOutgoing ToManager(Bytes bytes, TftpPort from = TftpPort::Server) {
    return {from, kManagerIp, kManagerTftpPort, std::move(bytes)};
}

// Image bytes that differ from block to block and within each.
inline Bytes Image(std::size_t size) {
    Bytes image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + i / 512);
    }
    return image;
}

enum class ClientStyle {
    AllToPort69,      // the manager: every packet to port 69
    FollowAnswerPort, // RFC 1350: after the first answer, to the port it came from
};

struct Upload {
    std::vector<TftpOutgoing> answers; // everything the server sent
    std::size_t sends = 0;             // packets the client sent, retransmissions included
    bool completed = false;            // the server reported the image complete
    bool acknowledged = false;         // the client saw the final acknowledgement
};

// Writes `image` through `deliver` (bytes, port arrived on -> TftpResult). Each packet is sent
// until its acknowledgement comes back, at most `tries` times; the upload stops at the first
// packet that never gets one.
template <typename Deliver>
Upload RunUpload(Deliver deliver, const Bytes& image, ClientStyle style, int tries = 40) {
    Upload upload;
    TftpPort to = TftpPort::Server;
    const std::size_t blocks = image.size() / kTftpBlockSize + 1;
    Bytes packet = WriteRequest();
    for (std::uint16_t awaited = 0;; ++awaited) {
        bool acknowledged = false;
        for (int i = 0; i < tries && !acknowledged; ++i) {
            ++upload.sends;
            const TftpResult result = deliver(packet, to);
            upload.completed = upload.completed || result.completed;
            for (const TftpOutgoing& answer : result.packets) {
                upload.answers.push_back(answer);
                if (DecodeTftpAck(answer.bytes) == awaited) {
                    acknowledged = true;
                    to = style == ClientStyle::FollowAnswerPort ? answer.from : to;
                }
            }
        }
        if (!acknowledged) {
            return upload;
        }
        if (awaited == blocks) {
            upload.acknowledged = true;
            return upload;
        }
        packet = DataBlock(static_cast<std::uint16_t>(awaited + 1), image);
    }
}

// An upload straight into a server.
inline Upload RunUpload(TftpServer& server, const SwitchSettings& settings, const Bytes& image,
                        ClientStyle style = ClientStyle::AllToPort69, int tries = 40) {
    return RunUpload([&](const Bytes& packet,
                         TftpPort to) { return server.Handle(From(packet, to), settings, kStart); },
                     image, style, tries);
}

} // namespace fenwick::sim::testing
