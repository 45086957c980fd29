// What discover and show print of the Discovery List: the list's texts under the JSON keys
// scripts rely on, in address order, and a table whose columns line up.
#include "codec/device_record.h"
#include "core/lists/list_view_model.h"
#include "ctl/device_report.h"

#include <QJsonArray>
#include <QStringList>
#include <gtest/gtest.h>

namespace fenwick::ctl {
namespace {

DeviceRecord Device(const char* ip, const char* mac, const char* name, bool loader = false) {
    DeviceRecord record = ZeroRecord();
    SetFieldText(record.IpText, ip);
    SetFieldText(record.MacText, mac);
    SetFieldText(record.SystemName, name);
    SetFieldText(record.ProductName, "Lab Switch");
    SetFieldText(record.TrapIpText, "10.0.0.1");
    record.ProtocolVersion = 2;
    record.Direction = 1;
    record.InterfaceVersion = 1;
    record.AgentState = loader ? kAgentStateLoader : 0;
    return record;
}

class Reports : public ::testing::Test {
protected:
    // The list in arrival order, as discovery fills it.
    std::vector<DeviceReport> Discovered(const std::vector<DeviceRecord>& records) {
        std::vector<DeviceReport> reports;
        for (const DeviceRecord& record : records) {
            const int row = list.InsertRow(list.RowCount(), 0, {});
            SetDeviceTexts(list, row, record, kDiscoveryFields);
            reports.push_back(ReportOfRow(list, row, &record));
        }
        return reports;
    }

    ListViewModel list{DiscoveryColumns()};
};

TEST_F(Reports, AreSortedByAddressAsNumbersNotAsTexts) {
    std::vector<DeviceReport> reports = Discovered({
        Device("10.0.0.10", "00000000000a", "ten"), Device("10.0.0.9", "000000000009", "nine"),
        Device("9.255.0.1", "000000000001", "low"),
        Device("10.0.0.9", "000000000008", "twin"), // two devices claiming one address
    });
    SortByAddress(reports);
    QStringList names;
    for (const DeviceReport& report : reports) {
        names << report.Text(DeviceField::SystemName);
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("low"), QStringLiteral("twin"),
                                  QStringLiteral("nine"), QStringLiteral("ten")}));
}

TEST_F(Reports, JsonCarriesTheListsTextsUnderTheirKeys) {
    const std::vector<DeviceReport> reports = Discovered(
        {Device("10.0.0.2", "0011aabbccdd", "core"), Device("10.0.0.3", "0011aabbccee", "", true)});
    const QJsonObject device = ReportJson(reports[0]);
    EXPECT_EQ(
        device.keys(),
        (QStringList{QStringLiteral("gateway"), QStringLiteral("ip"), QStringLiteral("loader_mode"),
                     QStringLiteral("location"), QStringLiteral("mac"), QStringLiteral("product"),
                     QStringLiteral("subnet_mask"), QStringLiteral("system_name"),
                     QStringLiteral("trap_ip"), QStringLiteral("version")}));
    EXPECT_EQ(device[QStringLiteral("mac")], QStringLiteral("0011aabbccdd"));
    EXPECT_EQ(device[QStringLiteral("ip")], QStringLiteral("10.0.0.2"));
    EXPECT_EQ(device[QStringLiteral("system_name")], QStringLiteral("core"));
    EXPECT_EQ(device[QStringLiteral("product")], QStringLiteral("Lab Switch"));
    EXPECT_EQ(device[QStringLiteral("trap_ip")], QStringLiteral("10.0.0.1"));
    EXPECT_EQ(device[QStringLiteral("version")], QStringLiteral("2.001.001"));
    EXPECT_EQ(device[QStringLiteral("loader_mode")], false);
    EXPECT_EQ(ReportJson(reports[1])[QStringLiteral("loader_mode")], true);
    EXPECT_EQ(ReportsJson(reports).size(), 2);
}

TEST_F(Reports, TheTableLinesUpEveryColumnUnderItsHeading) {
    const std::vector<DeviceReport> reports =
        Discovered({Device("10.0.0.2", "0011aabbccdd", "a-rather-long-name"),
                    Device("192.168.100.200", "0011aabbccee", "x")});
    const QStringList lines = ReportTable(reports).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("MAC Address")));
    const qsizetype nameColumn = lines[0].indexOf(QStringLiteral("System Name"));
    const qsizetype locationColumn = lines[0].indexOf(QStringLiteral("Location"));
    EXPECT_EQ(lines[1].indexOf(QStringLiteral("a-rather-long-name")), nameColumn);
    EXPECT_EQ(lines[2].mid(nameColumn, 2), QStringLiteral("x "));
    EXPECT_GT(locationColumn, nameColumn + qsizetype{18}) << "as wide as the longest name";
    EXPECT_EQ(lines[2].indexOf(QStringLiteral("10.0.0.1")),
              lines[0].indexOf(QStringLiteral("Trap IP")));
}

} // namespace
} // namespace fenwick::ctl
