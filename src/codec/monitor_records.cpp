#include "monitor_records.h"

#include <algorithm>
#include <cstring>

namespace fenwick {

int DecodeMonitorFile(std::span<const std::uint8_t> bytes, std::vector<DeviceRecord>& records) {
    records.clear();
    const std::span<const std::uint8_t> counted =
        bytes.first(std::min(bytes.size(), kMonitorFileMaxBytes));
    if (counted.size() % sizeof(DeviceRecord) != 0) {
        return -1;
    }
    records.resize(counted.size() / sizeof(DeviceRecord));
    // Every record is a whole one and the count is bounded by the table's; the copy stays
    // inside both.
    if (!records.empty()) {
        std::memcpy(records.data(), counted.data(), counted.size());
    }
    return static_cast<int>(records.size());
}

std::vector<std::uint8_t> EncodeMonitorFile(std::span<const DeviceRecord> entries) {
    std::vector<std::uint8_t> bytes(entries.size_bytes());
    if (!bytes.empty()) {
        std::memcpy(bytes.data(), entries.data(), bytes.size());
    }
    return bytes;
}

namespace {

void StartLivenessAfresh(DeviceRecord& record) {
    record.ListState = kListStateNoRow;
    record.Answered = 1;
    record.MissCount = 0;
}

} // namespace

void PrepareStartupRecord(DeviceRecord& record) {
    StartLivenessAfresh(record);
    record.StatusImage = record.StatusImage == 1 ? 1 : -1;
}

void PrepareLoadedRecord(DeviceRecord& record) {
    StartLivenessAfresh(record);
}

} // namespace fenwick
