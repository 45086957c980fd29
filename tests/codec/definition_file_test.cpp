#include "codec/definition_file.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace fenwick {
namespace {

using Bytes = std::vector<std::uint8_t>;

unsigned Sum(const Bytes& bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return sum;
}

// Stored characters that decipher to something the reader never takes for a field.
Bytes NeutralStoredChars() {
    Bytes chars;
    for (unsigned stored = 0x20; stored <= 0x7F; ++stored) {
        const char plain =
            static_cast<char>(DecodeDefinitionChar(static_cast<std::uint8_t>(stored)));
        if (plain != '=' && !std::isxdigit(static_cast<unsigned char>(plain))) {
            chars.push_back(static_cast<std::uint8_t>(stored));
        }
    }
    return chars;
}

// Enciphers a plain text as a writer would. The '~' in it (or the start, when there is none)
// receives one or two neutral filler characters that make the byte sum a multiple of 255.
Bytes StoredFile(const std::string& plain) {
    Bytes stored;
    for (char c : plain) {
        if (c != '~') {
            stored.push_back(EncodeDefinitionChar(static_cast<std::uint8_t>(c)));
        }
    }
    const std::size_t mark = plain.find('~');
    const auto at =
        stored.begin() + static_cast<std::ptrdiff_t>(mark == std::string::npos ? 0 : mark);
    const Bytes neutral = NeutralStoredChars();
    const std::set<unsigned> single(neutral.begin(), neutral.end());
    const unsigned needed = (255 - Sum(stored) % 255) % 255;
    for (unsigned target = needed; target <= 3 * 0x7F; target += 255) {
        if (single.count(target)) {
            stored.insert(at, static_cast<std::uint8_t>(target));
            return stored;
        }
        for (std::uint8_t a : neutral) {
            if (single.count(target - a)) {
                stored.insert(at, {a, static_cast<std::uint8_t>(target - a)});
                return stored;
            }
            for (std::uint8_t b : neutral) {
                if (target > a + b && single.count(target - a - b)) {
                    stored.insert(at, {a, b, static_cast<std::uint8_t>(target - a - b)});
                    return stored;
                }
            }
        }
    }
    ADD_FAILURE() << "no filler for " << plain;
    return stored;
}

TEST(FoldedByteSum, Is255ExactlyForPositiveMultiplesOf255) {
    struct Case {
        Bytes bytes;
        std::uint16_t expected;
    };
    const Case cases[] = {
        {{255, 0, 0, 0}, 255},   {{255, 255, 0, 0}, 255}, {{255, 255, 255, 0}, 255},
        {{0, 0, 0, 0}, 0},       {{254, 0, 0, 0}, 254},   {{255, 1, 0, 0}, 1},
        {Bytes(256, 0xFF), 255}, // the largest sum a file can have, 65280
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FoldedByteSum(c.bytes), c.expected) << Sum(c.bytes);
    }
}

TEST(DefinitionFile, ChecksumDecidesAcceptance) {
    for (const Bytes& accepted :
         {Bytes{255, 0, 0, 0}, Bytes{255, 255, 0, 0}, Bytes{255, 255, 255, 0}}) {
        EXPECT_EQ(DecodeDefinitionFile(accepted).status, DefinitionStatus::Accepted)
            << Sum(accepted);
    }
    for (const Bytes& rejected : {Bytes{0, 0, 0, 0}, Bytes{254, 0, 0, 0}, Bytes{255, 1, 0, 0}}) {
        EXPECT_EQ(DecodeDefinitionFile(rejected).status, DefinitionStatus::ChecksumError)
            << Sum(rejected);
    }
}

TEST(DefinitionFile, SizesOutsideFourTo256BytesAreRefused) {
    EXPECT_EQ(DecodeDefinitionFile(Bytes{255, 0, 0}).status, DefinitionStatus::TooShort);
    EXPECT_EQ(DecodeDefinitionFile(Bytes{}).status, DefinitionStatus::TooShort);
    Bytes tooLong(257, 0);
    tooLong[0] = 255;
    EXPECT_EQ(DecodeDefinitionFile(tooLong).status, DefinitionStatus::TooLong);
    Bytes longest(256, 0);
    longest[0] = 255;
    EXPECT_EQ(DecodeDefinitionFile(longest).status, DefinitionStatus::Accepted);
}

TEST(DefinitionFile, LineEndsTheLastFourBytesAndTheFields) {
    struct Case {
        const char* what;
        std::string plain;
        std::uint32_t key;
        std::uint16_t port;
    };
    const Case cases[] = {
        {"two lines ending in CR LF keep their whole text", "Key=1A2B3C4D\r\nPort=1F90\r\n",
         0x1A2B3C4D, 8080},
        {"no names at all", "=1A2B3C4D\r\n=1F90\r\n", 0x1A2B3C4D, 8080},
        {"one pair removed loses the last two characters", "Key=1A2B3C4D\r\nPort=1F90", 0x1A2B3C4D,
         0x1F00},
        {"without any pair the last four bytes are cut", "Key=1A2B3C4D Port=1F90", 0x1A2B3C4D, 0},
        {"without any pair the text ends four bytes early", "Key=1A2B3C4D Port=1F90abcd",
         0x1A2B3C4D, 8080},
        {"of two adjacent pairs the second stays in the text",
         "Key=\r\n\r\n1A2B3C4D\r\nPort=1F90\r\n", 0, 8080},
        {"a single pair before the key is removed", "Key=\r\n1A2B3C4D\r\nPort=1F90\r\n", 0x1A2B3C4D,
         8080},
        {"no '=': both fields start the text", "1A2B3C4D~\r\nX\r\n", 0x1A2B3C4D, 0x1A2B},
        {"one '=': the port field starts the text", "1F90=1A2B3C4D~\r\nX\r\n", 0x1A2B3C4D, 8080},
        {"a key that is not hexadecimal gives 0", "Key=1A2B3C4G\r\nPort=1F90\r\n", 0, 8080},
        {"a short port field fills from the top", "Key=0000ABCD\r\nPort=1F\r\n", 0xABCD, 0x1F00},
        {"whatever stands before each '=' is not examined",
         "anything at all=1A2B3C4D\r\nport, key: =1F90\r\n", 0x1A2B3C4D, 8080},
    };
    for (const Case& c : cases) {
        const DefinitionResult result = DecodeDefinitionFile(StoredFile(c.plain));
        ASSERT_EQ(result.status, DefinitionStatus::Accepted) << c.what;
        EXPECT_EQ(result.values.AgentKey, c.key) << c.what;
        EXPECT_EQ(result.values.BasePort, c.port) << c.what;
    }
}

TEST(DefinitionFile, AFileWrittenOutByHandGivesItsKeyAndPort) {
    // "Key=9AB3E07F" CR LF "PORT=2F5D" CR LF and a last filler "U", every printable character
    // enciphered by hand from the character map; the bytes sum to 1785, seven times 255.
    const Bytes file = {0x3E, 0x4C, 0x48, 0x54, 0x68, 0x40, 0x23, 0x56, 0x2C,
                        0x4D, 0x42, 0x6F, 0x0D, 0x0A, 0x6D, 0x2A, 0x33, 0x59,
                        0x54, 0x73, 0x6F, 0x7C, 0x49, 0x0D, 0x0A, 0x3C};
    ASSERT_EQ(Sum(file), 1785u);
    const DefinitionResult result = DecodeDefinitionFile(file);
    ASSERT_EQ(result.status, DefinitionStatus::Accepted);
    EXPECT_EQ(result.values.AgentKey, 0x9AB3E07Fu);
    EXPECT_EQ(result.values.BasePort, 12125);
    EXPECT_EQ(result.values.UnicastPort, 12126);
    EXPECT_EQ(result.values.AgentPort, 12127);
}

TEST(DefinitionFile, PortsFollowInSixteenBitArithmetic) {
    const DefinitionResult ordinary = DecodeDefinitionFile(StoredFile("K=00000001\r\nP=1F90\r\n"));
    EXPECT_EQ(ordinary.values.BasePort, 8080);
    EXPECT_EQ(ordinary.values.UnicastPort, 8081);
    EXPECT_EQ(ordinary.values.AgentPort, 8082);
    const DefinitionResult top = DecodeDefinitionFile(StoredFile("K=00000001\r\nP=FFFF\r\n"));
    EXPECT_EQ(top.values.BasePort, 0xFFFF);
    EXPECT_EQ(top.values.UnicastPort, 0);
    EXPECT_EQ(top.values.AgentPort, 1);
}

TEST(DefinitionCipher, MapsPrintablesOneToOneAndLeavesOtherBytes) {
    std::set<std::uint8_t> images;
    for (unsigned c = 0; c <= 0xFF; ++c) {
        const auto ch = static_cast<std::uint8_t>(c);
        const std::uint8_t decoded = DecodeDefinitionChar(ch);
        if (c < 0x20 || c > 0x7F) {
            EXPECT_EQ(decoded, ch) << c;
        } else {
            EXPECT_GE(decoded, 0x20) << c;
            EXPECT_LE(decoded, 0x7F) << c;
            images.insert(decoded);
            EXPECT_EQ(DecodeDefinitionChar(EncodeDefinitionChar(ch)), ch) << c;
        }
    }
    EXPECT_EQ(images.size(), 96u);
}

TEST(DefinitionCipher, StoredCharactersDecipherToTheirPlainOnes) {
    struct Case {
        std::uint8_t stored;
        std::uint8_t plain;
    };
    // Worked out by hand from the character map.
    const Case cases[] = {
        {0x3D, ' '}, {0x54, '='}, {0x4D, '0'}, {0x68, '9'}, {0x40, 'A'},  {0x6F, 'F'},
        {0x60, 'a'}, {0x2F, 'f'}, {0x2B, 'z'}, {0x77, '~'}, {0x5A, 0x7F},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeDefinitionChar(c.stored), c.plain) << int(c.stored);
        EXPECT_EQ(EncodeDefinitionChar(c.plain), c.stored) << int(c.plain);
    }
}

TEST(DefinitionCipher, AffineDecodeStaysInRangeAndInverts) {
    struct Case {
        std::uint32_t x;
        std::uint32_t y; // (67 * y + 29) mod 96 = x, worked out by hand
    };
    for (const Case& c : {Case{0, 1}, Case{1, 44}, Case{29, 0}, Case{30, 43}, Case{47, 6},
                          Case{64, 65}, Case{95, 54}}) {
        EXPECT_EQ(AffineDecode(c.x, 96, 67, 29), c.y) << c.x;
    }
    std::set<std::uint32_t> images;
    for (std::uint32_t x = 0; x < 96; ++x) {
        const std::uint32_t decoded = AffineDecode(x, 96, 67, 29);
        EXPECT_LT(decoded, 96u) << x;
        images.insert(decoded);
    }
    EXPECT_EQ(images.size(), 96u);
}

TEST(ExtendedEuclid, CoefficientsBelongToTheirArgumentsInEitherOrder) {
    struct Case {
        std::uint32_t a, b, gcd;
    };
    for (const Case& c : {Case{96, 67, 1}, Case{67, 96, 1}, Case{240, 46, 2}, Case{46, 240, 2},
                          Case{12, 12, 12}, Case{7, 1, 1}}) {
        const EuclidCoefficients e = ExtendedEuclid(c.a, c.b);
        EXPECT_EQ(std::int64_t{c.a} * e.s + std::int64_t{c.b} * e.t, c.gcd) << c.a << "," << c.b;
    }
}

TEST(DefinitionFileWriter, WhatItWritesReadsBackTheSame) {
    const std::uint32_t keys[] = {0x00000000, 0xFFFFFFFF, 0x1A2B3C4D, 0x00000001, 0x80000000};
    const std::uint16_t ports[] = {0x0000, 0xFFFF, 0x1F90, 0x0001, 0xFFFE};
    for (std::uint32_t key : keys) {
        for (std::uint16_t port : ports) {
            const Bytes file = EncodeDefinitionFile(key, port);
            EXPECT_LE(file.size(), kDefinitionFileMaxLength);
            EXPECT_EQ(FoldedByteSum(file), 255);
            EXPECT_GT(Sum(file), 0u);
            const DefinitionResult result = DecodeDefinitionFile(file);
            ASSERT_EQ(result.status, DefinitionStatus::Accepted) << key << " " << port;
            EXPECT_EQ(result.values.AgentKey, key);
            EXPECT_EQ(result.values.BasePort, port);
            EXPECT_EQ(result.values.AgentPort, static_cast<std::uint16_t>(port + 2));
        }
    }
}

} // namespace
} // namespace fenwick
