// The header checks every received datagram passes before anything acts on it, in the order in
// which the agents' replies are judged: key, direction, version, loader mode, upgrade
// confirmation, set sequence, error code, trigger acknowledgement, then trap or reply.
#pragma once

#include "device_record.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace fenwick {

// The program values the checks read, and the ones they advance.
struct ReplyContext {
    std::uint32_t AgentKey = 0;
    std::uint16_t SetSequence = 0;  // wraps at 16 bits, never reset
    char UpgradeTargetMac[16] = {}; // MAC text of the device being upgraded, or empty
    std::uint16_t TriggerAcknowledged = 0;
    // MAC text of the device whose completed upgrade is being confirmed, or empty: the upgrade's
    // target when its transfer completed, whatever has been launched since.
    char ConfirmationTargetMac[16] = {};
    std::uint16_t UpgradeConfirmed = 0;
};

enum class ReplyRoute {
    Drop,                // ends without a message
    VersionMismatch,     // list row with reason 101
    LoaderMode,          // list row with reason 100
    ShowError,           // show ReplyErrorMessage(errorCode)
    TriggerAcknowledged, // the upgrade trigger was answered; nothing else to do
    Trap,                // the trap handler takes the body
    StoreReply,          // the general reply store takes the body
};

inline constexpr int kReasonLoaderMode = 100;
inline constexpr int kReasonVersionMismatch = 101;

struct ReplyVerdict {
    ReplyRoute route = ReplyRoute::Drop;
    int errorCode = 0;                  // low 4 bits of Status
    std::span<const std::uint8_t> body; // the bytes after the header, possibly none
};

// Judges one received datagram (at most the bytes actually received; missing header bytes
// count as zero) from the given source address. Fills the record's MacText, versions,
// direction, IP address and text, and LastCommand as far as the checks get, and advances
// SetSequence and the upgrade flags of the context as the checks say.
ReplyVerdict CheckReplyHeader(std::span<const std::uint8_t> datagram, std::uint32_t sourceIp,
                              ReplyContext& context, DeviceRecord& record);

// The text shown for a reply's error code 1 to 15 (codec/reply_texts.h).
std::string_view ReplyErrorMessage(int errorCode);

} // namespace fenwick
