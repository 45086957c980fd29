#include "codec/info_field.h"
#include "codec/text_forms.h"
#include "record_builders.h"
#include "test_addresses.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>

namespace fenwick {
namespace {

using testing::AppendAddress;
using testing::AppendText;
using testing::Bytes;
using testing::Ip;

DeviceRecord ConfiguredRecord() {
    DeviceRecord record = ZeroRecord();
    SetFieldText(record.Password, "secret");
    SetFieldText(record.ProductName, "ES-8");
    SetFieldText(record.SystemName, "core");
    SetFieldText(record.Location, "rack 2");
    record.IpAddress = Ip("192.168.1.20");
    record.TrapIp = Ip("192.168.1.2");
    record.Gateway = Ip("192.168.1.1");
    record.SubnetMask = Ip("255.255.255.0");
    return record;
}

Bytes ExpectedSetBody() {
    Bytes body;
    AppendText(body, 9, "secret");
    AppendText(body, 1, "ES-8");
    AppendText(body, 2, "core");
    AppendText(body, 3, "rack 2");
    AppendAddress(body, 4, Ip("192.168.1.20"));
    AppendAddress(body, 7, Ip("192.168.1.2"));
    AppendAddress(body, 6, Ip("192.168.1.1"));
    AppendAddress(body, 5, Ip("255.255.255.0"));
    return body;
}

TEST(SetBody, EncodesInFixedOrderAndNotesThePendingAddress) {
    PendingSet pending;
    std::array<std::uint8_t, kMaxBodyLength> out{};
    const std::span<const std::uint8_t> body = BuildSetBody(ConfiguredRecord(), out, pending);
    const Bytes expected = ExpectedSetBody();
    ASSERT_EQ(body.size(), 48u + 6 + 4 + 4 + 6);
    EXPECT_EQ(body.data(), out.data());
    EXPECT_EQ(Bytes(body.begin(), body.end()), expected);
    EXPECT_EQ(pending.ReadPendingSetIp(), Ip("192.168.1.20"));
}

TEST(SetBody, AppendsTheNewPasswordOnlyWhenThereIsOne) {
    DeviceRecord record = ConfiguredRecord();
    SetFieldText(record.NewPassword, "better");
    PendingSet pending;
    std::array<std::uint8_t, kMaxBodyLength> out{};
    const std::span<const std::uint8_t> body = BuildSetBody(record, out, pending);
    Bytes expected = ExpectedSetBody();
    AppendText(expected, 8, "better");
    EXPECT_EQ(Bytes(body.begin(), body.end()), expected);
}

TEST(SetBody, EmptyTextsGiveFourByteElements) {
    PendingSet pending;
    std::array<std::uint8_t, kMaxBodyLength> out{};
    EXPECT_EQ(BuildSetBody(ZeroRecord(), out, pending).size(), 48u);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 4); // password element: head only
}

TEST(SetBody, TextsWithoutTerminatorStayInsideTheirFields) {
    DeviceRecord record = ZeroRecord();
    std::memset(record.ProductName, 'p', sizeof record.ProductName); // as a damaged file may hold
    std::memset(record.SystemName, 's', sizeof record.SystemName);
    PendingSet pending;
    std::array<std::uint8_t, kMaxBodyLength> out{};
    const std::size_t length = BuildSetBody(record, out, pending).size();
    ASSERT_EQ(length, 48u + 41 + 21);
    ASSERT_LE(length, kMaxSetBodyLength);
    EXPECT_EQ(out[4 + 2], 0); // product element length high byte
    EXPECT_EQ(out[4 + 3], 45);
    EXPECT_EQ(out[4 + 45 + 3], 25); // system name element follows with its own 21 characters
}

TEST(SetBody, RefusesAnOutputTooSmallAndLeavesNothingPending) {
    PendingSet pending;
    pending.WritePendingSetIp(7);
    std::array<std::uint8_t, 40> out{};
    EXPECT_TRUE(BuildSetBody(ConfiguredRecord(), out, pending).empty());
    EXPECT_EQ(pending.ReadPendingSetIp(), 7u);
}

TEST(ReplyBody, FillsEveryKnownField) {
    Bytes body;
    AppendText(body, 1, "ES-8 Managed Switch");
    AppendText(body, 2, "core");
    AppendText(body, 3, "rack 2");
    AppendAddress(body, 4, Ip("10.0.0.7"));
    AppendAddress(body, 5, Ip("255.0.0.0"));
    AppendAddress(body, 6, Ip("10.0.0.1"));
    AppendAddress(body, 7, Ip("10.0.0.2"));
    AppendText(body, 8, "never stored");
    AppendText(body, 9, "pw");
    DeviceRecord record = ZeroRecord();
    ParseReplyBody(body, record);
    EXPECT_EQ(FieldText(record.ProductName), "ES-8 Managed Switch");
    EXPECT_EQ(FieldText(record.SystemName), "core");
    EXPECT_EQ(FieldText(record.Location), "rack 2");
    EXPECT_EQ(record.IpAddress, Ip("10.0.0.7"));
    EXPECT_EQ(FieldText(record.IpText), "10.0.0.7");
    EXPECT_EQ(FieldText(record.SubnetMaskText), "255.0.0.0");
    EXPECT_EQ(record.SubnetMask, Ip("255.0.0.0"));
    EXPECT_EQ(FieldText(record.GatewayText), "10.0.0.1");
    EXPECT_EQ(FieldText(record.TrapIpText), "10.0.0.2");
    EXPECT_EQ(record.TrapIp, Ip("10.0.0.2"));
    EXPECT_EQ(FieldText(record.Password), "pw");
    EXPECT_EQ(FieldText(record.NewPassword), "");
}

TEST(ReplyBody, StopsQuietlyAndKeepsWhatCameBefore) {
    struct Case {
        const char* what;
        Bytes body;
        const char* product;
        const char* ip;
        const char* systemName;
    };
    Bytes unknownType;
    AppendText(unknownType, 1, "A");
    AppendAddress(unknownType, 4, Ip("10.1.1.1"));
    AppendText(unknownType, 99, "x");
    AppendText(unknownType, 2, "ignored");

    Bytes shortLength;
    AppendText(shortLength, 1, "A");
    AppendText(shortLength, 2, "B");
    shortLength[shortLength.size() - 1 - 2] = 3; // element length 3 is below its own head

    Bytes pastTheEnd;
    AppendText(pastTheEnd, 1, "A");
    AppendText(pastTheEnd, 2, "BBBB");
    pastTheEnd.resize(pastTheEnd.size() - 1);

    Bytes truncatedAddress;
    AppendText(truncatedAddress, 1, "A");
    AppendAddress(truncatedAddress, 4, Ip("10.1.1.1"));
    truncatedAddress.resize(truncatedAddress.size() - 1);

    Bytes trailingBytes;
    AppendText(trailingBytes, 1, "A");
    trailingBytes.insert(trailingBytes.end(), {0x00, 0x02, 0x00});

    const Case cases[] = {
        {"unknown type", unknownType, "A", "10.1.1.1", ""},
        {"length below 4", shortLength, "A", "9.9.9.9", ""},
        {"element past the end", pastTheEnd, "A", "9.9.9.9", ""},
        {"address past the end", truncatedAddress, "A", "9.9.9.9", ""},
        {"fewer than 4 bytes left", trailingBytes, "A", "9.9.9.9", ""},
        {"empty body", {}, "", "9.9.9.9", ""},
    };
    for (const Case& c : cases) {
        DeviceRecord record = ZeroRecord();
        SetFieldText(record.IpText, "9.9.9.9");
        ParseReplyBody(c.body, record);
        EXPECT_EQ(FieldText(record.ProductName), c.product) << c.what;
        EXPECT_EQ(FieldText(record.IpText), c.ip) << c.what;
        EXPECT_EQ(FieldText(record.SystemName), c.systemName) << c.what;
    }
}

TEST(ReplyBody, CutsLongTextsToTheirFields) {
    Bytes body;
    AppendText(body, 1, std::string(60, 'P'));
    AppendText(body, 2, std::string(30, 'S'));
    AppendText(body, 9, std::string(200, 'W'));
    AppendText(body, 3, "after");
    DeviceRecord record = ZeroRecord();
    ParseReplyBody(body, record);
    EXPECT_EQ(FieldText(record.ProductName), std::string(40, 'P'));
    EXPECT_EQ(FieldText(record.SystemName), std::string(20, 'S'));
    EXPECT_EQ(FieldText(record.Password), std::string(20, 'W'));
    EXPECT_EQ(FieldText(record.Location), "after");
    EXPECT_EQ(FieldText(record.IpText), ""); // nothing spilled into the next field
}

TEST(TextForms, MacAddressAndVersion) {
    const std::array<std::uint8_t, 6> mac = {0x00, 0x0A, 0x5B, 0x1C, 0x2D, 0x3E};
    EXPECT_EQ(MacText(mac), "000a5b1c2d3e");
    EXPECT_EQ(MacText(std::array<std::uint8_t, 6>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
              "ffffffffffff");
    EXPECT_EQ(AddressText(Ip("192.168.0.100")), "192.168.0.100");
    EXPECT_EQ(AddressText(0), "0.0.0.0");
    EXPECT_EQ(AddressText(0xFFFFFFFF), "255.255.255.255");
    EXPECT_EQ(VersionText(2, 1, 1), "2.001.001");
    EXPECT_EQ(VersionText(2, 1, 0), "2.001.000");
    EXPECT_EQ(VersionText(3, 0x1A, 12), "3.01a.012");
    EXPECT_EQ(VersionText(65535, 65535, 65535), "65535.ffff.65535");
}

TEST(PendingSet, MacTextIsBoundedByItsField) {
    PendingSet pending;
    pending.WritePendingSetMac("000a5b1c2d3e");
    EXPECT_EQ(pending.ReadPendingSetMac(), "000a5b1c2d3e");
    pending.WritePendingSetMac(std::string(40, 'f'));
    EXPECT_EQ(pending.ReadPendingSetMac(), std::string(15, 'f'));
    pending.WritePendingSetMac("");
    EXPECT_EQ(pending.ReadPendingSetMac(), "");
}

} // namespace
} // namespace fenwick
