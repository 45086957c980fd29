#include "monitor_records.h"

#include <algorithm>
#include <cstring>

namespace fenwick {

std::optional<std::vector<DeviceRecord>> DecodeMonitorFile(std::span<const std::uint8_t> bytes) {
    const std::span<const std::uint8_t> counted =
        bytes.first(std::min(bytes.size(), kMonitorFileMaxBytes));
    if (counted.size() % sizeof(DeviceRecord) != 0) {
        return std::nullopt;
    }
    std::vector<DeviceRecord> records(counted.size() / sizeof(DeviceRecord));
    // Every record is a whole one and the count is bounded by the table's; the copy stays
    // inside both.
    if (!records.empty()) {
        std::memcpy(records.data(), counted.data(), counted.size());
    }
    return records;
}

std::vector<std::uint8_t> EncodeMonitorFile(std::span<const DeviceRecord> entries) {
    std::vector<std::uint8_t> bytes(entries.size_bytes());
    if (!bytes.empty()) {
        std::memcpy(bytes.data(), entries.data(), bytes.size());
    }
    return bytes;
}

void PrepareStartupRecord(DeviceRecord& record) {
    MarkHeardFrom(record, kListStateNoRow,
                  record.StatusImage == kStatusImageNotAlive ? kStatusImageNotAlive
                                                             : kStatusImageNone);
}

void PrepareLoadedRecord(DeviceRecord& record) {
    MarkHeardFrom(record, kListStateNoRow, record.StatusImage);
}

} // namespace fenwick
