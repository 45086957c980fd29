// TFTP replies straight from the network: acknowledgements, errors and anything else.
#include "codec/tftp_packets.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fenwick::TftpReply reply = fenwick::ParseTftpReply({data, size});
    if (reply.kind != fenwick::TftpReply::Kind::Error) {
        if (!reply.errorText.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    // The text lies inside the datagram, after opcode and error code, and holds no zero byte.
    const auto* text = reinterpret_cast<const std::uint8_t*>(reply.errorText.data());
    if (text < data + 4 || text + reply.errorText.size() > data + size ||
        reply.errorText.find('\0') != std::string_view::npos) {
        __builtin_trap();
    }
    return 0;
}
