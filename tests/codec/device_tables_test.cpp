#include "codec/device_tables.h"
#include "record_builders.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>

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

TEST_F(DeviceTables, FirstMatchWinsAndMissesFindNothing) {
    struct Case {
        const char* what;
        std::optional<int> (*find)(const DeviceTable&, int, std::string_view);
        int n;
        const char* text;
        std::optional<int> index;
    };
    const Case cases[] = {
        {"discovery by MAC", FindDiscoveryByMac, 4, "000a5b000001", 0},
        {"discovery by MAC, third", FindDiscoveryByMac, 4, "000a5b000003", 2},
        {"only the first n records", FindDiscoveryByMac, 4, "000a5b000005", std::nullopt},
        {"case-sensitive", FindDiscoveryByMac, 4, "000A5B000003", std::nullopt},
        {"whole texts only", FindDiscoveryByIp, 4, "10.0.0", std::nullopt},
        {"discovery by IP", FindDiscoveryByIp, 4, "10.0.0.3", 2},
        {"monitor by IP", FindMonitorByIp, 5, "10.0.0.5", 4},
        {"monitor by IP, empty table", FindMonitorByIp, 0, "10.0.0.1", std::nullopt},
        {"monitor by MAC skips empty MAC texts", FindMonitorByMac, 4, "", std::nullopt},
        {"discovery by MAC does not skip them", FindDiscoveryByMac, 4, "", 1},
        {"monitor by MAC", FindMonitorByMac, 4, "000a5b000003", 2},
        {"a row count beyond the table is bounded", FindMonitorByIp, 1000, "none", std::nullopt},
        {"a negative row count finds nothing", FindMonitorByIp, -3, "10.0.0.1", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.find(*table, c.n, c.text), c.index) << c.what;
    }
}

TEST_F(DeviceTables, TextsWithoutTerminatorCompareWithinTheirField) {
    DeviceRecord& damaged = (*table)[0];
    std::memset(damaged.MacText, 'a', sizeof damaged.MacText);
    EXPECT_EQ(FindDiscoveryByMac(*table, 4, std::string(16, 'a')), 0);
    EXPECT_EQ(FindDiscoveryByMac(*table, 4, std::string(17, 'a')), std::nullopt);
}

} // namespace
} // namespace fenwick
