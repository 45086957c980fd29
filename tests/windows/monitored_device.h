// A device in the window rig's monitor list, and the traps it sends.
#pragma once

#include "codec/byte_order.h"
#include "codec/packet_header.h"
#include "codec/text_forms.h"
#include "core/app/manager_core.h"
#include "window_rig.h"

#include <string>
#include <vector>

namespace fenwick::testing {

inline constexpr std::uint32_t kRigDeviceIp = 0x0A4D0001; // 10.77.0.1

// Puts the device at `ip` into the MonitorTable and the Monitor List, answered.
inline void MonitorDevice(ManagerCore& core, std::uint32_t ip = kRigDeviceIp) {
    const int slot = core.MonitorList().RowCount();
    DeviceRecord& entry = core.State().MonitorTable[static_cast<std::size_t>(slot)];
    entry = ZeroRecord();
    entry.IpAddress = ip;
    SetFieldText(entry.IpText, AddressText(ip));
    SetFieldText(entry.MacText, "000a5b000001");
    entry.Answered = 1;
    entry.StatusImage = -1;
    core.ShowMonitorRow(slot);
}

// A trap from the device at `ip` with the given event text, as the rig's agents send it.
inline std::vector<std::uint8_t> TrapFrom(std::uint32_t ip, const std::string& text) {
    PacketHeader header;
    header.ProtocolVersion = kProtocolVersion;
    header.Direction = kDirectionReply;
    header.CommandCode = kCommandTrap;
    header.AgentKey = kRigAgentKey;
    std::vector<std::uint8_t> bytes(kHeaderLength + 4);
    EncodeHeader(header, std::span<std::uint8_t, kHeaderLength>(bytes.data(), kHeaderLength));
    StoreBe32(&bytes[kHeaderLength], ip);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

} // namespace fenwick::testing
