#include "fenwick-switch/settings_file.h"
#include "fenwick-switch/settings_generator.h"
#include "switch_fixtures.h"

#include <gtest/gtest.h>

namespace fenwick::sim {
namespace {

using namespace testing;

constexpr const char* kHead = "agent-key = 1a2b3c4d\nbase-port = 0x1F90\n";

TEST(SettingsFile, ReadsEveryKeyAndDefaultsTheRest) {
    const std::string text = std::string("# lab\r\n") + kHead +
                             "\n[switch]\n"
                             "ip = 10.77.1.5\n"
                             "mac = 02000A4D0105\n"
                             "product =   ES-8 Managed  \n"
                             "name = core\n"
                             "location = rack 2\n"
                             "password = admin\n"
                             "mask = 255.255.0.0\n"
                             "gateway = 10.77.0.254\n"
                             "trap-receiver = 10.77.0.1\n"
                             "protocol-version = 3\n"
                             "interface-version = 0\n"
                             "silent = on\n"
                             "loader = on\n"
                             "error = 4\n"
                             "tftp = off\n"
                             "tftp-port = other\n"
                             "tftp-error = 3 Flash write error\n"
                             "loss = 20\n"
                             "loss-seed = 77\n"
                             "restart-delay = 60\n"
                             "[switch]\r\n"
                             "ip=10.77.1.6\n"
                             "mac=0200 0a4d0106\n";
    std::string error;
    // The blank inside the second MAC address makes it wrong; fix it and read again.
    EXPECT_FALSE(ParseSettingsText(text, error));
    EXPECT_EQ(error, "line 28: expected 12 hexadecimal digits");
    std::string fixed = text;
    fixed.replace(fixed.find("0200 0a4d0106"), 13, "02000a4d0106");
    const auto settings = ParseSettingsText(fixed, error);
    ASSERT_TRUE(settings) << error;
    EXPECT_EQ(settings->agentKey, kKey);
    EXPECT_EQ(settings->basePort, 8080);
    EXPECT_EQ(settings->AgentPort(), 8082);
    ASSERT_EQ(settings->switches.size(), 2u);
    SwitchSettings first = LabSwitch();
    first.protocolVersion = 3;
    first.interfaceVersion = 0;
    first.silent = true;
    first.loader = true;
    first.errorCode = 4;
    first.tftp = false;
    first.tftpPort = TftpAnswerPort::Other;
    first.tftpError = TftpErrorAnswer{3, "Flash write error"};
    first.lossPercent = 20;
    first.lossSeed = 77;
    first.restartSeconds = 60;
    EXPECT_EQ(settings->switches[0], first);
    SwitchSettings second;
    second.ip = Ip("10.77.1.6");
    second.mac = kOtherMac;
    EXPECT_EQ(settings->switches[1], second);
}

TEST(SettingsFile, RejectsWhatDoesNotFitAndSaysWhere) {
    struct Case {
        std::string text;
        const char* error;
    };
    const std::string sw = "[switch]\nip = 10.77.1.1\nmac = 02000a4d0101\n";
    const Case cases[] = {
        {"ip = 10.77.1.1\n", "line 1: unknown key \"ip\" (switch keys go after [switch])"},
        {"base-port = 8080\n" + sw, "agent-key and base-port must come before the first [switch]"},
        {"agent-key = 1A2B3C4\nbase-port = 1\n", "line 1: expected 8 hexadecimal digits"},
        {std::string(kHead) + "base-port = 65536\n", "line 3: expected a port number"},
        {std::string(kHead) + "[switches]\n", "line 3: expected \"key = value\" or [switch]"},
        {std::string(kHead) + sw + "colour = red\n", "line 6: unknown key \"colour\""},
        {std::string(kHead) + sw + "ip = 10.77.1.256\n",
         "line 6: expected a dotted decimal address"},
        {std::string(kHead) + sw + "ip = 10.77.1\n", "line 6: expected a dotted decimal address"},
        {std::string(kHead) + sw + "silent = yes\n", "line 6: expected on or off"},
        {std::string(kHead) + sw + "error = 16\n", "line 6: expected a number to 15"},
        {std::string(kHead) + sw + "name = " + std::string(21, 'n') + "\n",
         "line 6: text longer than 20 characters"},
        {std::string(kHead) + sw + "product = " + std::string(41, 'p') + "\n",
         "line 6: text longer than 40 characters"},
        {std::string(kHead) + sw + "tftp = 1\n", "line 6: expected on or off"},
        {std::string(kHead) + sw + "tftp-port = 6969\n", "line 6: expected 69 or other"},
        {std::string(kHead) + sw + "tftp-error = on\n",
         "line 6: expected off, or a code to 65535 and a text of at most 1400 characters"},
        {std::string(kHead) + sw + "tftp-error = 1 " + std::string(1401, 't') + "\n",
         "line 6: expected off, or a code to 65535 and a text of at most 1400 characters"},
        {std::string(kHead) + sw + "loss = 101\n", "line 6: expected a percentage"},
        {std::string(kHead) + sw + "loss-seed = -1\n", "line 6: expected a number"},
        {std::string(kHead) + sw + "restart-delay = 1h\n", "line 6: expected seconds to 3600"},
        {std::string(kHead) + sw + sw, "switch 2: ip 10.77.1.1 is used twice"},
        {std::string(kHead) + "[switch]\nmac = 02000a4d0101\n", "switch 1: no ip"},
        {std::string(kHead) + "[switch]\nip = 10.77.1.1\n", "switch 1: no mac"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseSettingsText(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(SettingsFile, WhatIsWrittenReadsBackTheSame) {
    NetworkSettings settings;
    settings.agentKey = 0xCAFEF00D;
    settings.basePort = 65535;
    settings.switches.push_back(LabSwitch());
    SwitchSettings odd = LabSwitch();
    odd.ip = Ip("192.168.5.9");
    odd.product = std::string(40, 'P');
    odd.systemName = "a = b # no comment";
    odd.location.clear();
    odd.password = "p@ss word";
    odd.protocolVersion = 3;
    odd.loader = true;
    odd.errorCode = 15;
    odd.tftp = false;
    odd.tftpPort = TftpAnswerPort::Other;
    odd.lossPercent = 100;
    odd.lossSeed = 0xFFFFFFFF;
    odd.restartSeconds = 0;
    settings.switches.push_back(odd);
    SwitchSettings refusing = LabSwitch();
    refusing.ip = Ip("192.168.5.10");
    refusing.tftpError = TftpErrorAnswer{65535, std::string(kMaxTftpErrorText, 'x')};
    settings.switches.push_back(refusing);
    refusing.ip = Ip("192.168.5.11");
    refusing.tftpError = TftpErrorAnswer{0, ""};
    settings.switches.push_back(refusing);
    std::string error;
    const auto read = ParseSettingsText(FormatSettingsText(settings), error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(*read, settings);
}

TEST(SettingsGenerator, NumbersSwitchesAcrossOctetsAndMarksTheChosenOnes) {
    GeneratorOptions options;
    options.count = 4;
    options.firstIp = Ip("10.77.1.253");
    options.loaderSwitch = 4;
    options.foreignSwitch = 2;
    std::string error;
    const auto settings = GenerateSettings(options, error);
    ASSERT_TRUE(settings) << error;
    ASSERT_EQ(settings->switches.size(), 4u);
    const char* const addresses[] = {"10.77.1.253", "10.77.1.254", "10.77.2.1", "10.77.2.2"};
    for (std::size_t i = 0; i < 4; ++i) {
        const SwitchSettings& sw = settings->switches[i];
        EXPECT_EQ(sw.ip, Ip(addresses[i]));
        const std::uint32_t ip = sw.ip;
        EXPECT_EQ(sw.mac, (std::array<std::uint8_t, 6>{0x02, 0x00, std::uint8_t(ip >> 24),
                                                       std::uint8_t(ip >> 16),
                                                       std::uint8_t(ip >> 8), std::uint8_t(ip)}));
        EXPECT_EQ(sw.systemName, "sw-" + std::to_string(i + 1));
        EXPECT_EQ(sw.trapReceiver, Ip("10.77.0.1"));
        EXPECT_EQ(sw.loader, i == 3);
        EXPECT_EQ(sw.protocolVersion, i == 1 ? 3 : 2);
    }
    // What it generates is a valid settings file.
    const auto read = ParseSettingsText(FormatSettingsText(*settings), error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(*read, *settings);
}

TEST(SettingsGenerator, RefusesSwitchesBeyondTheSubnetOrTheCount) {
    GeneratorOptions options;
    options.firstIp = Ip("10.77.1.250");
    options.subnetMask = Ip("255.255.255.0");
    options.count = 5;
    std::string error;
    EXPECT_TRUE(GenerateSettings(options, error)) << error;
    options.count = 6;
    EXPECT_FALSE(GenerateSettings(options, error));
    options.count = 5;
    options.loaderSwitch = 6;
    EXPECT_FALSE(GenerateSettings(options, error));
}

} // namespace
} // namespace fenwick::sim
