// Small builders for device records and datagrams in tests.
#pragma once

#include "codec/byte_order.h"
#include "codec/device_record.h"
#include "codec/packet_header.h"

#include <string>
#include <vector>

namespace fenwick::testing {

using Bytes = std::vector<std::uint8_t>;

inline void AppendText(Bytes& body, std::uint16_t type, const std::string& text) {
    const std::size_t at = body.size();
    body.resize(at + 4 + text.size());
    StoreBe16(&body[at], type);
    StoreBe16(&body[at + 2], static_cast<std::uint16_t>(4 + text.size()));
    std::copy(text.begin(), text.end(), body.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

inline void AppendAddress(Bytes& body, std::uint16_t type, std::uint32_t address) {
    const std::size_t at = body.size();
    body.resize(at + 8);
    StoreBe16(&body[at], type);
    StoreBe16(&body[at + 2], 8);
    StoreBe32(&body[at + 4], address);
}

inline Bytes Datagram(const PacketHeader& header, const Bytes& body = {}) {
    Bytes datagram(kHeaderLength);
    EncodeHeader(header, std::span<std::uint8_t, kHeaderLength>(datagram.data(), kHeaderLength));
    datagram.insert(datagram.end(), body.begin(), body.end());
    return datagram;
}

inline DeviceRecord RecordWithTexts(const char* mac, const char* ip) {
    DeviceRecord record = ZeroRecord();
    SetFieldText(record.MacText, mac);
    SetFieldText(record.IpText, ip);
    return record;
}

} // namespace fenwick::testing
