// A ManagerCore on the in-memory network with a cfg folder of its own, and builders for agent
// datagrams.
#pragma once

#include "codec/record_builders.h"
#include "support/core_rig.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fenwick::testing {

inline constexpr std::uint32_t kTestKey = 0x1A2B3C4D;
inline constexpr std::uint16_t kTestBasePort = 0x1F90;
// The executable's name the core is given; boxes that carry the program's name show it.
inline const QString kApplicationName = QStringLiteral("fenwick-under-test");

// Describes one agent's datagram.
struct AgentReply {
    std::array<std::uint8_t, 6> mac{0x00, 0x0A, 0x5B, 0x00, 0x00, 0x01};
    std::uint32_t ip = 0x0A4D0101; // 10.77.1.1
    std::uint16_t code = kCommandDeviceInfo;
    std::uint16_t version = 2;
    std::uint16_t status = 0;
    std::uint16_t sequence = 0;
    std::uint32_t key = kTestKey;
    std::string product = "ES-8";
    std::string systemName = "core";
    std::string location = "rack 2";
    std::uint32_t bodyIp = 0; // InfoField 4; 0: none
    std::uint32_t mask = 0xFFFF0000;
    std::uint32_t gateway = 0x0A4D0001;
    std::uint32_t trapIp = 0x0A4D0001;

    Bytes Datagram() const {
        PacketHeader header;
        header.ProtocolVersion = version;
        header.Direction = kDirectionReply;
        header.Mac = mac;
        header.InterfaceVersion = 1;
        header.CommandCode = code;
        header.Status = status;
        header.AgentKey = key;
        header.Sequence = sequence;
        Bytes bytes = testing::Datagram(header);
        AppendText(bytes, 1, product);
        AppendText(bytes, 2, systemName);
        AppendText(bytes, 3, location);
        if (bodyIp != 0) {
            AppendAddress(bytes, 4, bodyIp);
        }
        AppendAddress(bytes, 5, mask);
        AppendAddress(bytes, 6, gateway);
        AppendAddress(bytes, 7, trapIp);
        return bytes;
    }

    // The n-th of a series of agents, with distinct MAC and IP addresses.
    static AgentReply Numbered(int n) {
        AgentReply agent;
        agent.mac[4] = static_cast<std::uint8_t>(n >> 8);
        agent.mac[5] = static_cast<std::uint8_t>(n);
        agent.ip = 0x0A4D0000u + static_cast<std::uint32_t>(n);
        return agent;
    }
};

class CoreFixture : public ::testing::Test, protected CoreRig {
protected:
    void SetUp() override { WriteDefinition(EncodeDefinitionFile(kTestKey, kTestBasePort)); }

    void WriteDefinition(const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(WriteDefinitionFile(Folder(), bytes));
    }

    QString Folder() const { return root.path() + QStringLiteral("/cfg"); }
    // The folders Start builds the core with: Folder() alone unless a test chooses others.
    QString configFolder;
    QString siteFolder;

    ManagerCore& Start() {
        BuildCore(ConfigFolders{configFolder.isEmpty() ? Folder() : configFolder, siteFolder},
                  kApplicationName)
            .Initialise();
        return *core;
    }

    // Delivers an agent's datagram to BroadcastSocket from the agent's address.
    void Receive(const AgentReply& agent, std::uint16_t port = kTestBasePort) {
        ASSERT_TRUE(network.Deliver(port, agent.Datagram(), agent.ip));
    }

    QStringList BoxTexts() const {
        QStringList texts;
        for (const RecordingPrompts::Box& box : prompts.boxes) {
            texts << box.text;
        }
        return texts;
    }

    QTemporaryDir root;
};

} // namespace fenwick::testing
