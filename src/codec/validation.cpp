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

int HexTextToBytes(std::string_view text, std::span<std::uint8_t> out) {
    if (text.size() > kMaxHexTextLength || out.size() < text.size() / 2) {
        return -1;
    }
    for (char c : text) {
        if (HexDigitValue(c) < 0) {
            return -1;
        }
    }
    for (std::size_t i = 0; i < text.size() / 2; ++i) {
        out[i] = static_cast<std::uint8_t>(HexDigitValue(text[2 * i]) * 16 +
                                           HexDigitValue(text[2 * i + 1]));
    }
    return 0;
}

int CheckHostAddress(std::uint32_t address) {
    const std::uint32_t firstOctet = address >> 24;
    if ((address & 0x80000000u) == 0) { // class A
        const std::uint32_t host = address & 0x00FFFFFFu;
        if (firstOctet == 0 || firstOctet == 127 || host == 0 || host == 0x00FFFFFFu) {
            return -1;
        }
        return 0;
    }
    if ((address & 0xC0000000u) == 0x80000000u) { // class B
        const std::uint32_t network = (address >> 16) & 0x3FFFu;
        const std::uint32_t host = address & 0xFFFFu;
        return (network == 0 || host == 0 || host == 0xFFFFu) ? -1 : 0;
    }
    if ((address & 0xE0000000u) == 0xC0000000u) { // class C
        const std::uint32_t network = (address >> 8) & 0x1FFFFFu;
        const std::uint32_t host = address & 0xFFu;
        return (network == 0 || host == 0 || host == 0xFFu) ? -1 : 0;
    }
    return -1; // classes D and E are never hosts
}

int CheckHostPart(std::uint32_t address, std::uint32_t mask) {
    if (mask == 0xFFFFFFFFu) {
        return 0;
    }
    const std::uint32_t host = address & ~mask;
    return (host == ~mask || host == 0) ? -1 : 0;
}

int CheckGateway(std::uint32_t address, std::uint32_t gateway, std::uint32_t mask) {
    if (gateway == 0) {
        return 0;
    }
    return CheckSameSubnet(address, gateway, mask);
}

int CheckSameSubnet(std::uint32_t a, std::uint32_t b, std::uint32_t mask) {
    return (a & mask) == (b & mask) ? 0 : -1;
}

} // namespace fenwick
