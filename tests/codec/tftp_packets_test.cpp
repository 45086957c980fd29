#include "codec/tftp_packets.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fenwick {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

Bytes Text(std::string_view text) {
    return {text.begin(), text.end()};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(TftpWriteRequest, IsOpcodeNameZeroOctetZero) {
    struct Case {
        std::string name;
        Bytes expected;
        std::size_t length;
    };
    const std::string longest(127, 'p'); // what FirmwarePath holds
    const Case cases[] = {
        {"/srv/fw/image.hex", Concat({{0, 2}, Text("/srv/fw/image.hex"), {0}, Text("octet"), {0}}),
         26},
        {"", Concat({{0, 2, 0}, Text("octet"), {0}}), 9},
        {longest, Concat({{0, 2}, Text(longest), {0}, Text("octet"), {0}}), 136},
        // Longer names are cut to what FirmwarePath holds; a name ends at its zero byte.
        {longest + "xyz", Concat({{0, 2}, Text(longest), {0}, Text("octet"), {0}}), 136},
        {std::string("a\0b", 3), Concat({{0, 2}, Text("a"), {0}, Text("octet"), {0}}), 10},
    };
    for (const Case& c : cases) {
        TftpWriteRequestBuffer buffer;
        buffer.fill(0xEE);
        const Bytes request = Of(BuildTftpWriteRequest(buffer, c.name));
        EXPECT_EQ(request, c.expected) << c.name.size();
        EXPECT_EQ(request.size(), c.length) << c.name.size();
    }
}

TEST(TftpData, IsOpcodeBlockAndAtMost512Bytes) {
    struct Case {
        std::uint16_t block;
        std::size_t count;
        std::size_t sent;
    };
    const Case cases[] = {
        {1, 512, 512}, {2, 488, 488}, {3, 0, 0}, {0xFFFF, 1, 1}, {0x1234, 600, 512},
    };
    for (const Case& c : cases) {
        Bytes data(c.count);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        TftpDataBuffer buffer;
        buffer.fill(0xEE);
        const Bytes packet = Of(BuildTftpData(buffer, c.block, data));
        ASSERT_EQ(packet.size(), c.sent + 4) << c.block;
        EXPECT_EQ(packet[0], 0);
        EXPECT_EQ(packet[1], 3);
        EXPECT_EQ(packet[2], c.block >> 8);
        EXPECT_EQ(packet[3], c.block & 0xFF);
        EXPECT_TRUE(std::equal(packet.begin() + 4, packet.end(), data.begin())) << c.block;
    }
}

TEST(TftpReplyParser, ReadsAcknowledgementsAndErrorsAndIgnoresTheRest) {
    using Kind = TftpReply::Kind;
    struct Case {
        const char* what;
        Bytes datagram;
        Kind kind;
        std::uint16_t block;
        std::string errorText;
    };
    const Case cases[] = {
        {"ack 0", {0, 4, 0, 0}, Kind::Acknowledgement, 0, ""},
        {"ack 0x1234, trailing bytes", {0, 4, 0x12, 0x34, 9, 9}, Kind::Acknowledgement, 0x1234, ""},
        {"ack 0xFFFF", {0, 4, 0xFF, 0xFF}, Kind::Acknowledgement, 0xFFFF, ""},
        {"ack without its block", {0, 4, 0}, Kind::Other, 0, ""},
        {"error", Concat({{0, 5, 0, 3}, Text("Disk full"), {0}}), Kind::Error, 0, "Disk full"},
        {"error code plays no part", Concat({{0, 5, 0xAB, 0xCD}, Text("x"), {0}}), Kind::Error, 0,
         "x"},
        {"error text ends at its zero", Concat({{0, 5, 0, 0}, Text("ab"), {0}, Text("cd")}),
         Kind::Error, 0, "ab"},
        {"error text ends with the datagram", Concat({{0, 5, 0, 0}, Text("unterminated")}),
         Kind::Error, 0, "unterminated"},
        {"error without text", {0, 5, 0, 1}, Kind::Error, 0, ""},
        {"error without its code", {0, 5, 0}, Kind::Other, 0, ""},
        {"data", {0, 3, 0, 1, 7}, Kind::Other, 0, ""},
        {"write request", Concat({{0, 2}, Text("f"), {0}}), Kind::Other, 0, ""},
        {"opcode 0x0104", {1, 4, 0, 1}, Kind::Other, 0, ""},
        {"one byte", {4}, Kind::Other, 0, ""},
        {"empty", {}, Kind::Other, 0, ""},
    };
    for (const Case& c : cases) {
        const TftpReply reply = ParseTftpReply(c.datagram);
        EXPECT_EQ(reply.kind, c.kind) << c.what;
        EXPECT_EQ(reply.block, c.block) << c.what;
        EXPECT_EQ(std::string(reply.errorText), c.errorText) << c.what;
    }
}

} // namespace
} // namespace fenwick
