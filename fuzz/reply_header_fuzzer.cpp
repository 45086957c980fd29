// Whole datagrams through the header checks, then to the body parser as the dispatcher would.
#include "codec/info_field.h"
#include "codec/packet_header.h"
#include "codec/reply_checks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fenwick::kMaxDatagramLength) {
        return -1; // the receive buffer never holds more
    }
    fenwick::ReplyContext context;
    // The first bytes double as the program's key and sequence so every branch is reachable.
    if (size >= 20) {
        context.AgentKey = std::uint32_t{data[16]} << 24 | std::uint32_t{data[17]} << 16 |
                           std::uint32_t{data[18]} << 8 | data[19];
    }
    if (size >= 28 && (data[27] & 1)) {
        context.SetSequence = static_cast<std::uint16_t>(data[26] << 8 | data[27]);
    }
    fenwick::DeviceRecord record = fenwick::ZeroRecord();
    const fenwick::ReplyVerdict verdict =
        CheckReplyHeader({data, size}, 0x0A000001, context, record);
    if (verdict.body.size() > fenwick::kMaxBodyLength ||
        (!verdict.body.empty() && verdict.body.data() != data + fenwick::kHeaderLength)) {
        __builtin_trap();
    }
    if (verdict.route == fenwick::ReplyRoute::StoreReply) {
        fenwick::ParseReplyBody(verdict.body, record);
    }
    return 0;
}
