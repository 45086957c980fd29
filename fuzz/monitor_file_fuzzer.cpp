// Monitor list files of any content and size.
#include "codec/monitor_records.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

template <std::size_t N> void CheckBounded(const char (&field)[N]) {
    if (fenwick::FieldText(field).size() > N) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::optional<std::vector<fenwick::DeviceRecord>> decoded =
        fenwick::DecodeMonitorFile({data, size});
    if (!decoded) {
        if (size % sizeof(fenwick::DeviceRecord) == 0) {
            __builtin_trap();
        }
        return 0;
    }
    std::vector<fenwick::DeviceRecord>& records = *decoded;
    if (records.size() > fenwick::kDeviceTableSlots) {
        __builtin_trap();
    }
    // Records are taken as stored: written back, they are the bytes that were read.
    const std::vector<std::uint8_t> written = fenwick::EncodeMonitorFile(records);
    if (written.size() > size ||
        (!written.empty() && std::memcmp(written.data(), data, written.size()) != 0)) {
        __builtin_trap();
    }
    for (fenwick::DeviceRecord& record : records) {
        CheckBounded(record.MacText);
        CheckBounded(record.ProductName);
        CheckBounded(record.SystemName);
        CheckBounded(record.Location);
        CheckBounded(record.IpText);
        CheckBounded(record.TrapIpText);
        CheckBounded(record.SubnetMaskText);
        CheckBounded(record.GatewayText);
        fenwick::DeviceRecord loaded = record;
        fenwick::PrepareLoadedRecord(loaded);
        fenwick::PrepareStartupRecord(record);
        if (record.ListState != 0 || record.Answered != 1 || record.MissCount != 0 ||
            (record.StatusImage != 1 && record.StatusImage != -1) || loaded.ListState != 0 ||
            loaded.Answered != 1 || loaded.MissCount != 0) {
            __builtin_trap();
        }
    }
    return 0;
}
