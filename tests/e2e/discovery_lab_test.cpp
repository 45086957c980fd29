// Discovery against the lab's simulated switches, through the real window and sockets.
#include "codec/packet_header.h"
#include "codec/text_forms.h"
#include "lab_program.h"
#include "link_capture.h"

#include <fstream>
#include <map>
#include <sstream>

namespace fenwick::testing {
namespace {

// The interface of the namespace's default route, or "" when there is none.
std::string DefaultRouteInterface() {
    std::ifstream routes("/proc/net/route");
    std::string line;
    std::getline(routes, line); // the headings
    while (std::getline(routes, line)) {
        std::istringstream fields(line);
        std::string interface, destination, gateway, flags, references, use, metric, mask;
        fields >> interface >> destination >> gateway >> flags >> references >> use >> metric >>
            mask;
        if (destination == "00000000" && mask == "00000000") {
            return interface;
        }
    }
    return {};
}

QStringList ExpectedRow(const sim::SwitchSettings& device) {
    const QString mac = QString::fromStdString(MacText(device.mac));
    const QString ip = QString::fromStdString(AddressText(device.ip));
    const QString version = QString::fromStdString(
        VersionText(device.protocolVersion, kDirectionReply, device.interfaceVersion));
    if (device.loader || device.protocolVersion != kProtocolVersion) {
        // Only what the header tells: no names, no other addresses.
        return {mac, ip, version, {}, {}, {}, {}, {}, {}};
    }
    return {mac,
            ip,
            version,
            QString::fromStdString(device.product),
            QString::fromStdString(device.systemName),
            QString::fromStdString(device.location),
            QString::fromStdString(AddressText(device.trapReceiver)),
            QString::fromStdString(AddressText(device.subnetMask)),
            QString::fromStdString(AddressText(device.gateway))};
}

class DiscoveryInTheLab : public LabProgram {
protected:
    QStringList Row(int row) {
        QStringList texts;
        ListViewModel& list = program->Core().DiscoveryList();
        for (int column = 0; column < list.columnCount(); ++column) {
            texts << list.Text(row, column);
        }
        return texts;
    }
};

TEST_F(DiscoveryInTheLab, OnePressListsEverySwitchWithItsTexts) {
    const int switches = static_cast<int>(lab.switches.size());
    ListViewModel& list = program->Core().DiscoveryList();
    Button(QStringLiteral("Discovery"))->click();
    ASSERT_TRUE(WaitUntil([&] { return list.RowCount() >= switches; }))
        << list.RowCount() << " of " << switches;

    int loader = 0, foreign = 0;
    for (const sim::SwitchSettings& device : lab.switches) {
        loader += device.loader ? 1 : 0;
        foreign += device.protocolVersion != kProtocolVersion ? 1 : 0;
        const std::optional<int> row = list.FindRow(0, QString::fromStdString(MacText(device.mac)));
        ASSERT_TRUE(row.has_value()) << MacText(device.mac);
        EXPECT_EQ(Row(*row), ExpectedRow(device));
    }
    EXPECT_GE(loader, 1) << "the lab should hold a switch in loader mode";
    EXPECT_GE(foreign, 1) << "the lab should hold a switch of another protocol version";
    EXPECT_EQ(list.RowCount(), switches);
    EXPECT_TRUE(prompts.boxes.empty());

    // A second press empties the list before the answers come in again.
    Button(QStringLiteral("Discovery"))->click();
    EXPECT_EQ(list.RowCount(), 0);
    ASSERT_TRUE(WaitUntil([&] { return list.RowCount() >= switches; }));
    EXPECT_EQ(list.RowCount(), switches);
}

// Run in each of the lab's topologies: the switches are all behind the first of the manager's
// links, and the default route is on that link, on none, or on a second link.
TEST_F(DiscoveryInTheLab, TheRequestLeavesOnceByEveryLinkAsTheSame40Bytes) {
    const QStringList links = qEnvironmentVariable("FENWICK_LAB_MANAGER_LINKS")
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ASSERT_FALSE(links.isEmpty()) << "FENWICK_LAB_MANAGER_LINKS";
    const std::map<QString, QString> defaultRoute = {
        {QStringLiteral("default-route"), links.front()},
        {QStringLiteral("no-default-route"), QString()},
        {QStringLiteral("two-links"), links.value(1)},
    };
    const QString topology = qEnvironmentVariable("FENWICK_LAB_TOPOLOGY");
    ASSERT_EQ(defaultRoute.count(topology), 1u) << topology.toStdString();
    ASSERT_EQ(DefaultRouteInterface(), defaultRoute.at(topology).toStdString())
        << "the lab is not the topology it says";

    std::vector<LinkCapture> captures;
    for (const QString& link : links) {
        captures.emplace_back(link.toStdString());
    }
    captures.emplace_back("lo");
    for (const LinkCapture& capture : captures) {
        ASSERT_TRUE(capture.IsOpen()) << capture.Interface();
    }
    std::vector<std::uint8_t> request(kHeaderLength);
    BuildRequestHeader(kCommandDiscovery, lab.agentKey,
                       std::span<std::uint8_t, kHeaderLength>(request.data(), kHeaderLength));

    Button(QStringLiteral("Discovery"))->click();
    for (LinkCapture& capture : captures) {
        SCOPED_TRACE(capture.Interface());
        const bool loopback = capture.Interface() == "lo";
        // The copies are on the links when the send returns; the wait only bounds a fault.
        const std::vector<LeavingDatagram> left =
            capture.Take(lab.AgentPort(), loopback ? 0 : 2000);
        ASSERT_EQ(left.size(), loopback ? 0u : 1u);
        for (const LeavingDatagram& datagram : left) {
            EXPECT_EQ(datagram.payload, request);
            EXPECT_EQ(datagram.destination, 0xFFFFFFFFu);
            EXPECT_EQ(datagram.sourcePort, lab.basePort);
        }
    }
    const int switches = static_cast<int>(lab.switches.size());
    ListViewModel& list = program->Core().DiscoveryList();
    ASSERT_TRUE(WaitUntil([&] { return list.RowCount() >= switches; }))
        << list.RowCount() << " of " << switches;
    EXPECT_EQ(list.RowCount(), switches);
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes.front().text.toStdString();
}

} // namespace
} // namespace fenwick::testing
