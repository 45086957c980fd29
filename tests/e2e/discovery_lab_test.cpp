// Discovery against the lab's simulated switches, through the real window and sockets.
#include "codec/packet_header.h"
#include "codec/text_forms.h"
#include "lab_program.h"

namespace fenwick::testing {
namespace {

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
        const int row = list.FindRow(0, QString::fromStdString(MacText(device.mac)));
        ASSERT_GE(row, 0) << MacText(device.mac);
        EXPECT_EQ(Row(row), ExpectedRow(device));
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

} // namespace
} // namespace fenwick::testing
