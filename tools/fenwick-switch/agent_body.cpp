#include "agent_body.h"

#include "codec/byte_order.h"
#include "codec/info_field.h"

namespace fenwick::sim {
namespace {

void AppendHead(std::vector<std::uint8_t>& out, std::uint16_t type, std::size_t length) {
    const std::size_t at = out.size();
    out.resize(at + kInfoFieldHeadLength);
    StoreBe16(&out[at], type);
    StoreBe16(&out[at + 2], static_cast<std::uint16_t>(length));
}

// Settings texts are bounded (at most kMaxProductLength), so the length always fits 16 bits.
void AppendText(std::vector<std::uint8_t>& out, std::uint16_t type, std::string_view text) {
    AppendHead(out, type, kInfoFieldHeadLength + text.size());
    out.insert(out.end(), text.begin(), text.end());
}

void AppendAddress(std::vector<std::uint8_t>& out, std::uint16_t type, std::uint32_t address) {
    AppendHead(out, type, kAddressElementLength);
    const std::size_t at = out.size();
    out.resize(at + 4);
    StoreBe32(&out[at], address);
}

} // namespace

void AppendInformation(std::vector<std::uint8_t>& out, const SwitchSettings& settings) {
    AppendText(out, kInfoProductName, settings.product);
    AppendText(out, kInfoSystemName, settings.systemName);
    AppendText(out, kInfoLocation, settings.location);
    AppendAddress(out, kInfoIpAddress, settings.ip);
    AppendAddress(out, kInfoSubnetMask, settings.subnetMask);
    AppendAddress(out, kInfoGateway, settings.gateway);
    AppendAddress(out, kInfoTrapIp, settings.trapReceiver);
}

std::optional<std::string_view> FindTextField(std::span<const std::uint8_t> body,
                                              std::uint16_t type) {
    std::size_t position = 0;
    while (body.size() - position >= kInfoFieldHeadLength) {
        const std::uint8_t* element = body.data() + position;
        const std::size_t remaining = body.size() - position;
        const std::uint16_t elementType = LoadBe16(element);
        std::size_t length = LoadBe16(element + 2);
        if (elementType >= kInfoIpAddress && elementType <= kInfoTrapIp) {
            length = kAddressElementLength;
        } else if (elementType < kInfoProductName || elementType > kInfoPassword) {
            return std::nullopt;
        }
        if (length < kInfoFieldHeadLength || length > remaining) {
            return std::nullopt;
        }
        if (elementType == type) {
            return std::string_view(reinterpret_cast<const char*>(element) + kInfoFieldHeadLength,
                                    length - kInfoFieldHeadLength);
        }
        position += length;
    }
    return std::nullopt;
}

} // namespace fenwick::sim
