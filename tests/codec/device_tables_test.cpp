#include "codec/device_tables.h"
#include "record_builders.h"

#include <gtest/gtest.h>
#include <memory>

namespace fenwick {
namespace {

using testing::RecordWithTexts;

class DeviceTables : public ::testing::Test {
protected:
    void SetUp() override {
        table->fill(ZeroRecord());
        (*table)[0] = RecordWithTexts("000a5b000001", "10.0.0.1");
        (*table)[1] = RecordWithTexts("", "10.0.0.2"); // added by address: no MAC yet
        (*table)[2] = RecordWithTexts("000a5b000003", "10.0.0.3");
        (*table)[3] = RecordWithTexts("000a5b000001", "10.0.0.1"); // a later duplicate
        (*table)[4] = RecordWithTexts("000a5b000005", "10.0.0.5"); // beyond n in most cases
    }
    std::unique_ptr<DeviceTable> table = std::make_unique<DeviceTable>();
};

TEST_F(DeviceTables, FirstMatchWinsAndMissesReturnTheFirstFreeSlot) {
    struct Case {
        const char* what;
        int (*find)(const DeviceTable&, int, std::string_view, bool&);
        int n;
        const char* text;
        int index;
        bool found;
    };
    const Case cases[] = {
        {"discovery by MAC", FindDiscoveryByMac, 4, "000a5b000001", 0, true},
        {"discovery by MAC, third", FindDiscoveryByMac, 4, "000a5b000003", 2, true},
        {"only the first n records", FindDiscoveryByMac, 4, "000a5b000005", 4, false},
        {"case-sensitive", FindDiscoveryByMac, 4, "000A5B000003", 4, false},
        {"whole texts only", FindDiscoveryByIp, 4, "10.0.0", 4, false},
        {"discovery by IP", FindDiscoveryByIp, 4, "10.0.0.3", 2, true},
        {"monitor by IP", FindMonitorByIp, 5, "10.0.0.5", 4, true},
        {"monitor by IP, empty table", FindMonitorByIp, 0, "10.0.0.1", 0, false},
        {"monitor by MAC skips empty MAC texts", FindMonitorByMac, 4, "", 4, false},
        {"discovery by MAC does not skip them", FindDiscoveryByMac, 4, "", 1, true},
        {"monitor by MAC", FindMonitorByMac, 4, "000a5b000003", 2, true},
        {"a row count beyond the table is bounded", FindMonitorByIp, 1000, "none", 256, false},
        {"a negative row count finds nothing", FindMonitorByIp, -3, "10.0.0.1", 0, false},
    };
    for (const Case& c : cases) {
        bool found = !c.found;
        EXPECT_EQ(c.find(*table, c.n, c.text, found), c.index) << c.what;
        EXPECT_EQ(found, c.found) << c.what;
    }
}

TEST_F(DeviceTables, TextsWithoutTerminatorCompareWithinTheirField) {
    DeviceRecord& damaged = (*table)[0];
    std::memset(damaged.MacText, 'a', sizeof damaged.MacText);
    bool found = false;
    EXPECT_EQ(FindDiscoveryByMac(*table, 4, std::string(16, 'a'), found), 0);
    EXPECT_TRUE(found);
    EXPECT_EQ(FindDiscoveryByMac(*table, 4, std::string(17, 'a'), found), 4);
    EXPECT_FALSE(found);
}

} // namespace
} // namespace fenwick
