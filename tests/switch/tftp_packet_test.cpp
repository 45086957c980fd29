#include "fenwick-switch/tftp_packet.h"
#include "switch_fixtures.h"

#include <gtest/gtest.h>

namespace fenwick::sim {
namespace {

using namespace testing;

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

TEST(TftpPackets, RequestsNeedBothTextsEndedByTheirZero) {
    struct Case {
        const char* name;
        Bytes packet;
        std::optional<TftpRequest> expected;
    };
    const auto request = [](std::uint8_t opcode, std::string_view tail) {
        Bytes packet = {0, opcode};
        packet.insert(packet.end(), tail.begin(), tail.end());
        return packet;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"write request", request(2, "C:\\fw\\a.hex\0octet\0"sv),
         TftpRequest{TftpOpcode::WriteRequest, "C:\\fw\\a.hex", "octet"}},
        {"read request", request(1, "a\0netascii\0"sv),
         TftpRequest{TftpOpcode::ReadRequest, "a", "netascii"}},
        {"options after the mode", request(2, "a\0octet\0blksize\0001428\0"sv),
         TftpRequest{TftpOpcode::WriteRequest, "a", "octet"}},
        {"empty name and mode", request(2, "\0\0"sv),
         TftpRequest{TftpOpcode::WriteRequest, "", ""}},
        {"mode without its zero", request(2, "a\0octet"sv), std::nullopt},
        {"name without its zero", request(2, "abc"sv), std::nullopt},
        {"opcode alone", request(2, ""sv), std::nullopt},
        {"one byte", Bytes{0}, std::nullopt},
        {"data", request(3, "a\0octet\0"sv), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = DecodeTftpRequest(c.packet);
        ASSERT_EQ(decoded.has_value(), c.expected.has_value());
        if (decoded) {
            EXPECT_EQ(decoded->opcode, c.expected->opcode);
            EXPECT_EQ(decoded->fileName, c.expected->fileName);
            EXPECT_EQ(decoded->mode, c.expected->mode);
        }
    }
    EXPECT_EQ(EncodeTftpRequest(TftpOpcode::WriteRequest, "a.hex", "octet"),
              (Bytes{0, 2, 'a', '.', 'h', 'e', 'x', 0, 'o', 'c', 't', 'e', 't', 0}));
}

TEST(TftpPackets, NumbersAreBigEndianAndPayloadsFollowThem) {
    EXPECT_EQ(EncodeTftpAck(0x1234), (Bytes{0, 4, 0x12, 0x34}));
    EXPECT_EQ(EncodeTftpData(0xFFFE, Bytes{9, 8}), (Bytes{0, 3, 0xFF, 0xFE, 9, 8}));
    EXPECT_EQ(EncodeTftpError(3, "Disk full"),
              (Bytes{0, 5, 0, 3, 'D', 'i', 's', 'k', ' ', 'f', 'u', 'l', 'l', 0}));

    EXPECT_EQ(DecodeTftpAck(Bytes{0, 4, 0xAB, 0xCD}), 0xABCD);
    EXPECT_EQ(DecodeTftpAck(Bytes{0, 4, 0xAB}), std::nullopt);
    EXPECT_EQ(DecodeTftpAck(Bytes{0, 3, 0, 1}), std::nullopt);

    const Bytes data = {0, 3, 0x01, 0x02, 7, 6, 5};
    const auto decoded = DecodeTftpData(data);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->block, 0x0102);
    EXPECT_EQ(Bytes(decoded->payload.begin(), decoded->payload.end()), (Bytes{7, 6, 5}));
    const auto empty = DecodeTftpData(Bytes{0, 3, 0, 9});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->payload.empty());
    EXPECT_EQ(DecodeTftpData(Bytes{0, 3, 0}), std::nullopt);
}

TEST(TftpPackets, AnErrorTextEndsAtItsZeroOrAtTheEnd) {
    Bytes terminated = {0, 5, 0, 2};
    const Bytes text = Text("Access violation");
    terminated.insert(terminated.end(), text.begin(), text.end());
    terminated.push_back(0);
    terminated.push_back('x');
    Bytes unterminated = {0, 5, 0, 2};
    unterminated.insert(unterminated.end(), text.begin(), text.end());
    for (const Bytes& packet : {terminated, unterminated}) {
        const auto error = DecodeTftpError(packet);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code, 2);
        EXPECT_EQ(error->text, "Access violation");
    }
    EXPECT_EQ(DecodeTftpError(Bytes{0, 5, 0}), std::nullopt);
    EXPECT_EQ(TftpOpcodeOf(Bytes{0x12, 0x34}), 0x1234);
    EXPECT_EQ(TftpOpcodeOf(Bytes{0x12}), std::nullopt);
}

} // namespace
} // namespace fenwick::sim
