// The DEVICE a script names: every spelling of a MAC address an operator copies from a label or
// another tool, dotted addresses, and what must be refused before anything is sent.
#include "ctl/device_argument.h"

#include <gtest/gtest.h>

namespace fenwick::ctl {
namespace {

TEST(DeviceArgument, ReadsMacAddressesInEverySpellingAsTheListsShowThem) {
    const char* spellings[] = {"000a5b1c2d3e", "000A5B1C2D3E", "00:0a:5b:1c:2d:3e",
                               "00-0A-5B-1C-2D-3E", "00:0A:5b:1C:2d:3E"};
    for (const char* text : spellings) {
        const auto device = ReadDeviceArgument(text);
        ASSERT_TRUE(device.has_value()) << text;
        EXPECT_EQ(device->kind, DeviceArgument::Kind::Mac) << text;
        EXPECT_EQ(device->macText, "000a5b1c2d3e") << text;
    }
}

TEST(DeviceArgument, ReadsDottedAddressesInHostOrder) {
    struct Case {
        const char* text;
        std::uint32_t ip;
    };
    const Case cases[] = {
        {"10.77.1.1", 0x0A4D0101},       {"192.168.0.255", 0xC0A800FF},   {"0.0.0.0", 0},
        {"255.255.255.255", 0xFFFFFFFF}, {"010.001.000.009", 0x0A010009},
    };
    for (const Case& c : cases) {
        const auto device = ReadDeviceArgument(c.text);
        ASSERT_TRUE(device.has_value()) << c.text;
        EXPECT_EQ(device->kind, DeviceArgument::Kind::Ip) << c.text;
        EXPECT_EQ(device->ip, c.ip) << c.text;
    }
}

TEST(DeviceArgument, RefusesEverythingElse) {
    const char* refused[] = {
        "",                   // nothing
        "000a5b1c2d3",        // 11 digits
        "000a5b1c2d3e0",      // 13 digits
        "000a5b1c2d3g",       // not hexadecimal
        "00:0a-5b:1c:2d:3e",  // two separators
        "00.0a.5b.1c.2d.3e",  // dots are for addresses
        "000:a5b:1c2:d3e",    // separators off the pairs
        "00:0a:5b:1c:2d:3e:", // one too many
        "10.77.1",            // three octets
        "10.77.1.1.1",        // five
        "10.77.1.256",        // an octet too large
        "10.77.1.0001",       // four digits
        "10.77..1",           // an empty octet
        "10.77.1.1 ",         // a trailing blank
        "+10.77.1.1",         // a sign
        "switch-3",           // a name
    };
    for (const char* text : refused) {
        EXPECT_FALSE(ReadDeviceArgument(text).has_value()) << '"' << text << '"';
    }
}

} // namespace
} // namespace fenwick::ctl
