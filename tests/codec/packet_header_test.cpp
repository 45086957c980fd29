#include "codec/packet_header.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace fenwick {
namespace {

using Header = std::array<std::uint8_t, kHeaderLength>;

TEST(RequestHeader, DiscoveryAndPollCarryVersionCodeAndKeyOnly) {
    for (std::uint16_t code : {kCommandDiscovery, kCommandPoll}) {
        Header out;
        out.fill(0xEE);
        EXPECT_EQ(BuildRequestHeader(code, 0x1A2B3C4D, out).size(), 40u);
        Header expected{};
        expected[1] = 2;
        expected[13] = static_cast<std::uint8_t>(code);
        expected[16] = 0x1A;
        expected[17] = 0x2B;
        expected[18] = 0x3C;
        expected[19] = 0x4D;
        EXPECT_EQ(out, expected) << code;
    }
}

TEST(RequestHeader, TargetedRequestsAlsoCarryMacAndSequence) {
    for (std::uint16_t code : {kCommandSetBroadcast, kCommandSetUnicast, kCommandUpgradeTrigger}) {
        Header out{};
        ASSERT_EQ(BuildTargetedRequestHeader(code, 0xCAFEF00D, "000a5b1c2d3e", 0xBEEF, out).size(),
                  40u);
        EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 4, out.begin() + 10),
                  (std::vector<std::uint8_t>{0x00, 0x0A, 0x5B, 0x1C, 0x2D, 0x3E}));
        EXPECT_EQ(out[26], 0xBE);
        EXPECT_EQ(out[27], 0xEF);
        EXPECT_EQ(out[13], code);
        EXPECT_EQ(out[16], 0xCA);
        const PacketHeader decoded = DecodeHeader(out);
        EXPECT_EQ(decoded.ProtocolVersion, 2);
        EXPECT_EQ(decoded.Direction, 0);
        EXPECT_EQ(decoded.Sequence, 0xBEEF);
    }
}

TEST(RequestHeader, RefusesAMacTextThatIsNotTwelveHexadecimalDigits) {
    for (const char* mac : {"000a5b1c2d3g", "000a5b1c2d3", "", "000a5b1c2d3e0"}) {
        Header out;
        out.fill(0xEE);
        EXPECT_TRUE(BuildTargetedRequestHeader(kCommandSetUnicast, 1, mac, 0, out).empty()) << mac;
        EXPECT_EQ(out[0], 0xEE) << mac;
    }
}

TEST(HeaderDecoding, MissingBytesCountAsZero) {
    const std::vector<std::uint8_t> partial = {0x00, 0x02, 0x00, 0x01, 0xAA, 0xBB};
    const PacketHeader header = DecodeHeader(partial);
    EXPECT_EQ(header.ProtocolVersion, 2);
    EXPECT_EQ(header.Direction, 1);
    EXPECT_EQ(header.Mac[0], 0xAA);
    EXPECT_EQ(header.Mac[1], 0xBB);
    EXPECT_EQ(header.Mac[2], 0);
    EXPECT_EQ(header.AgentKey, 0u);
    EXPECT_EQ(DecodeHeader({}).CommandCode, 0);
}

} // namespace
} // namespace fenwick
