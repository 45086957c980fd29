#include "codec/validation.h"
#include "test_addresses.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fenwick {
namespace {

using testing::Ip;

TEST(HexTextToBytes, ConvertsPairsHighDigitFirstInEitherCase) {
    struct Case {
        const char* text;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"00304f1a2b3c", {0x00, 0x30, 0x4F, 0x1A, 0x2B, 0x3C}},
        {"a1B2", {0xA1, 0xB2}},
        {"A1b2", {0xA1, 0xB2}},
        {"abc", {0xAB}}, // the odd last digit is checked, not converted
        {"", {}},
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, 8> out;
        out.fill(0xEE);
        EXPECT_TRUE(HexTextToBytes(c.text, out)) << c.text;
        EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), out.begin())) << c.text;
        // Nothing beyond the converted bytes is written.
        for (std::size_t i = c.bytes.size(); i < out.size(); ++i) {
            EXPECT_EQ(out[i], 0xEE) << c.text << " byte " << i;
        }
    }
}

TEST(HexTextToBytes, RefusesAndLeavesOutputUntouched) {
    const std::string tooLong(128, 'a');
    const std::string longestAccepted(127, 'a');
    const std::string texts[] = {"0g", "12 34", "-1", "0x12", "ab\xff", tooLong};
    std::array<std::uint8_t, 64> untouched;
    untouched.fill(0xEE);
    for (const std::string& text : texts) {
        std::array<std::uint8_t, 64> out = untouched;
        EXPECT_FALSE(HexTextToBytes(text, out)) << text;
        EXPECT_EQ(out, untouched) << text;
    }
    std::array<std::uint8_t, 63> exact{};
    EXPECT_TRUE(HexTextToBytes(longestAccepted, exact));
    EXPECT_EQ(exact[62], 0xAA);
}

TEST(HexTextToBytes, RefusesAnOutputTooSmallForTheText) {
    std::array<std::uint8_t, 8> buffer{};
    std::span<std::uint8_t> two(buffer.data(), 2);
    EXPECT_FALSE(HexTextToBytes("aabbcc", two));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[2], 0);
}

TEST(CheckHostAddress, ClassfulRule) {
    for (const char* accepted :
         {"10.0.0.1", "1.0.0.1", "126.255.255.254", "128.1.0.1", "172.16.255.254",
          "191.255.255.254", "192.0.1.5", "223.255.255.254", "10.1.255.255", "10.0.255.255"}) {
        EXPECT_TRUE(CheckHostAddress(Ip(accepted))) << accepted;
    }
    for (const char* rejected : {"0.0.0.0", "0.1.2.3", "10.0.0.0", "10.255.255.255", "127.0.0.1",
                                 "128.0.1.1", "128.1.0.0", "172.16.255.255", "192.0.0.5",
                                 "192.168.1.0", "192.168.1.255", "224.0.0.1", "255.255.255.255"}) {
        EXPECT_FALSE(CheckHostAddress(Ip(rejected))) << rejected;
    }
}

TEST(AddressChecks, HostPartGatewayAndSubnet) {
    struct Case {
        const char* check;
        bool (*run)(std::uint32_t, std::uint32_t, std::uint32_t);
        const char* a;
        const char* b;
        const char* mask;
        bool expected;
    };
    const auto hostPart = [](std::uint32_t a, std::uint32_t, std::uint32_t mask) {
        return CheckHostPart(a, mask);
    };
    const Case cases[] = {
        {"host part", hostPart, "192.168.1.0", "0.0.0.0", "255.255.255.0", false},
        {"host part", hostPart, "192.168.1.255", "0.0.0.0", "255.255.255.0", false},
        {"host part", hostPart, "192.168.1.5", "0.0.0.0", "255.255.255.0", true},
        {"host part", hostPart, "0.0.0.0", "0.0.0.0", "255.255.255.255", true},
        {"host part", hostPart, "192.168.1.5", "0.0.0.0", "0.0.0.0", true},
        {"host part", hostPart, "192.168.1.5", "0.0.0.0", "255.0.255.0", true},
        {"host part", hostPart, "255.255.255.255", "0.0.0.0", "0.0.0.0", false},
        {"gateway", CheckGateway, "10.1.1.1", "0.0.0.0", "255.255.255.0", true},
        {"gateway", CheckGateway, "192.168.1.5", "192.168.2.1", "255.255.255.0", false},
        {"gateway", CheckGateway, "192.168.1.5", "192.168.2.1", "255.255.0.0", true},
        {"gateway", CheckGateway, "192.168.1.5", "8.8.8.8", "0.0.0.0", true},
        {"same subnet", CheckSameSubnet, "192.168.1.5", "192.168.1.200", "255.255.255.0", true},
        {"same subnet", CheckSameSubnet, "192.168.1.5", "192.168.2.5", "255.255.255.0", false},
        {"same subnet", CheckSameSubnet, "0.0.0.0", "192.168.1.5", "255.255.255.0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.run(Ip(c.a), Ip(c.b), Ip(c.mask)), c.expected)
            << c.check << " " << c.a << " " << c.b << " " << c.mask;
    }
}

} // namespace
} // namespace fenwick
