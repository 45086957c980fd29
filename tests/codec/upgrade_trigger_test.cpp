#include "codec/upgrade_trigger.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fenwick {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Built(std::string_view mac, std::string_view password, std::uint16_t sequence = 0x0102) {
    TriggerBuffer buffer;
    const std::span<const std::uint8_t> bytes =
        BuildUpgradeTrigger(buffer, 0x1A2B3C4D, mac, sequence, password);
    return {bytes.begin(), bytes.end()};
}

TEST(UpgradeTrigger, CarriesThePasswordAsTheOnlyElement) {
    const Bytes expected = {
        0x00, 0x02, 0x00, 0x00,                         // version 2, request
        0x00, 0x0a, 0x5b, 0x1c, 0x2d, 0x3e,             // the device's MAC address
        0x00, 0x00, 0x00, 0x0a, 0x00, 0x00,             // interface 0, command 10, status 0
        0x1a, 0x2b, 0x3c, 0x4d,                         // agent key
        0,    0,    0,    0,    0,    0,    0x01, 0x02, // reserved, the set sequence
        0,    0,    0,    0,    0,    0,    0,    0,    0,   0, 0, 0, // reserved
        0x00, 0x09, 0x00, 0x09, 'a',  'd',  'm',  'i',  'n',          // element 9, length 5 + 4
    };
    EXPECT_EQ(Built("000a5b1c2d3e", "admin"), expected);
}

TEST(UpgradeTrigger, LengthFollowsThePasswordFromOneToTwentyBytes) {
    for (std::size_t n : {1u, 5u, 20u}) {
        const Bytes bytes = Built("000a5b1c2d3e", std::string(n, 'p'));
        ASSERT_EQ(bytes.size(), 44 + n) << n;
        EXPECT_EQ(bytes[43], 4 + n) << n;
        EXPECT_EQ(bytes.back(), 'p') << n;
    }
}

TEST(UpgradeTrigger, RefusesWhatNoDeviceCouldTake) {
    const struct {
        std::string mac;
        std::string password;
    } cases[] = {
        {"000a5b1c2d3e", ""},
        {"000a5b1c2d3e", std::string(21, 'p')},
        {"000a5b1c2d3g", "admin"},
        {"000a5b", "admin"},
        {"", "admin"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(Built(c.mac, c.password).empty()) << c.mac << " / " << c.password.size();
    }
}

} // namespace
} // namespace fenwick
