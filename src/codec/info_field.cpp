#include "info_field.h"

#include "byte_order.h"
#include "text_forms.h"

#include <cstring>
#include <string_view>

namespace fenwick {
namespace {

// Appends elements to a bounded buffer; once a write does not fit, nothing more is written.
class BodyWriter {
public:
    explicit BodyWriter(std::span<std::uint8_t> out) : out_(out) {}

    void AppendText(std::uint16_t type, std::string_view text) {
        if (!Reserve(kInfoFieldHeadLength + text.size())) {
            return;
        }
        StoreHead(type, kInfoFieldHeadLength + text.size());
        std::memcpy(out_.data() + used_ + kInfoFieldHeadLength, text.data(), text.size());
        used_ += kInfoFieldHeadLength + text.size();
    }

    void AppendAddress(std::uint16_t type, std::uint32_t address) {
        if (!Reserve(kAddressElementLength)) {
            return;
        }
        StoreHead(type, kAddressElementLength);
        StoreBe32(out_.data() + used_ + kInfoFieldHeadLength, address);
        used_ += kAddressElementLength;
    }

    bool Overflowed() const { return overflowed_; }
    std::size_t Length() const { return used_; }

private:
    bool Reserve(std::size_t length) {
        overflowed_ = overflowed_ || out_.size() - used_ < length;
        return !overflowed_;
    }

    void StoreHead(std::uint16_t type, std::size_t length) {
        StoreBe16(out_.data() + used_, type);
        StoreBe16(out_.data() + used_ + 2, static_cast<std::uint16_t>(length));
    }

    std::span<std::uint8_t> out_;
    std::size_t used_ = 0;
    bool overflowed_ = false;
};

template <std::size_t N> void StoreText(char (&field)[N], std::span<const std::uint8_t> value) {
    SetFieldText(field, {reinterpret_cast<const char*>(value.data()), value.size()});
}

template <std::size_t N>
void StoreAddress(std::uint32_t& number, char (&text)[N], const std::uint8_t* value) {
    number = LoadBe32(value);
    SetFieldText(text, AddressText(number));
}

} // namespace

std::span<const std::uint8_t> BuildSetBody(const DeviceRecord& record, std::span<std::uint8_t> out,
                                           PendingSet& pending) {
    BodyWriter writer(out);
    writer.AppendText(kInfoPassword, FieldText(record.Password));
    writer.AppendText(kInfoProductName, FieldText(record.ProductName));
    writer.AppendText(kInfoSystemName, FieldText(record.SystemName));
    writer.AppendText(kInfoLocation, FieldText(record.Location));
    writer.AppendAddress(kInfoIpAddress, record.IpAddress);
    writer.AppendAddress(kInfoTrapIp, record.TrapIp);
    writer.AppendAddress(kInfoGateway, record.Gateway);
    writer.AppendAddress(kInfoSubnetMask, record.SubnetMask);
    if (!FieldText(record.NewPassword).empty()) {
        writer.AppendText(kInfoNewPassword, FieldText(record.NewPassword));
    }
    if (writer.Overflowed()) {
        return {};
    }
    pending.WritePendingSetIp(record.IpAddress);
    return out.first(writer.Length());
}

void ParseReplyBody(std::span<const std::uint8_t> body, DeviceRecord& record) {
    std::size_t position = 0;
    while (body.size() - position >= kInfoFieldHeadLength) {
        const std::uint8_t* element = body.data() + position;
        const std::size_t remaining = body.size() - position;
        const std::uint16_t type = LoadBe16(element);
        if (type >= kInfoIpAddress && type <= kInfoTrapIp) {
            // Address elements are always 8 bytes long; their length field is not consulted.
            if (remaining < kAddressElementLength) {
                return;
            }
            const std::uint8_t* value = element + kInfoFieldHeadLength;
            switch (type) {
            case kInfoIpAddress:
                StoreAddress(record.IpAddress, record.IpText, value);
                break;
            case kInfoSubnetMask:
                StoreAddress(record.SubnetMask, record.SubnetMaskText, value);
                break;
            case kInfoGateway:
                StoreAddress(record.Gateway, record.GatewayText, value);
                break;
            default:
                StoreAddress(record.TrapIp, record.TrapIpText, value);
                break;
            }
            position += kAddressElementLength;
            continue;
        }
        if (type < kInfoProductName || type > kInfoPassword) {
            return;
        }
        const std::size_t length = LoadBe16(element + 2);
        if (length < kInfoFieldHeadLength || length > remaining) {
            return;
        }
        const std::span<const std::uint8_t> value(element + kInfoFieldHeadLength,
                                                  length - kInfoFieldHeadLength);
        switch (type) {
        case kInfoProductName:
            StoreText(record.ProductName, value);
            break;
        case kInfoSystemName:
            StoreText(record.SystemName, value);
            break;
        case kInfoLocation:
            StoreText(record.Location, value);
            break;
        case kInfoPassword:
            StoreText(record.Password, value);
            break;
        default: // the new password is never reported back
            break;
        }
        position += length;
    }
}

} // namespace fenwick
