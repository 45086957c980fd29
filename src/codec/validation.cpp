#include "validation.h"

namespace fenwick {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

bool HexTextToBytes(std::string_view text, std::span<std::uint8_t> out) {
    if (text.size() > kMaxHexTextLength || out.size() < text.size() / 2) {
        return false;
    }
    for (char c : text) {
        if (HexDigitValue(c) < 0) {
            return false;
        }
    }
    for (std::size_t i = 0; i < text.size() / 2; ++i) {
        out[i] = static_cast<std::uint8_t>(HexDigitValue(text[2 * i]) * 16 +
                                           HexDigitValue(text[2 * i + 1]));
    }
    return true;
}

bool CheckHostAddress(std::uint32_t address) {
    const std::uint32_t firstOctet = address >> 24;
    if ((address & 0x80000000u) == 0) { // class A
        const std::uint32_t host = address & 0x00FFFFFFu;
        if (firstOctet == 0 || firstOctet == 127 || host == 0 || host == 0x00FFFFFFu) {
            return false;
        }
        return true;
    }
    if ((address & 0xC0000000u) == 0x80000000u) { // class B
        const std::uint32_t network = (address >> 16) & 0x3FFFu;
        const std::uint32_t host = address & 0xFFFFu;
        return network != 0 && host != 0 && host != 0xFFFFu;
    }
    if ((address & 0xE0000000u) == 0xC0000000u) { // class C
        const std::uint32_t network = (address >> 8) & 0x1FFFFFu;
        const std::uint32_t host = address & 0xFFu;
        return network != 0 && host != 0 && host != 0xFFu;
    }
    return false; // classes D and E are never hosts
}

bool CheckHostPart(std::uint32_t address, std::uint32_t mask) {
    if (mask == 0xFFFFFFFFu) {
        return true;
    }
    const std::uint32_t host = address & ~mask;
    return host != ~mask && host != 0;
}

bool CheckGateway(std::uint32_t address, std::uint32_t gateway, std::uint32_t mask) {
    if (gateway == 0) {
        return true;
    }
    return CheckSameSubnet(address, gateway, mask);
}

bool CheckSameSubnet(std::uint32_t a, std::uint32_t b, std::uint32_t mask) {
    return (a & mask) == (b & mask);
}

} // namespace fenwick
