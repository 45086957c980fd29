// Monitor list files at the byte level: a plain run of 272-byte DeviceRecords, no header, no
// count, no trailer, each record a MonitorTable entry byte for byte. Plain C++ over bytes, so
// that tests and the fuzzer reach it without files.
#pragma once

#include "codec/device_record.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace fenwick {

// A reader takes at most one full table; whatever lies beyond is not read.
inline constexpr std::size_t kMonitorFileMaxBytes = kDeviceTableSlots * sizeof(DeviceRecord);
static_assert(kMonitorFileMaxBytes == 69632);

// The records held in `bytes` (of which at most kMonitorFileMaxBytes count), exactly as stored:
// 0 to 256 of them, or nothing when the counted bytes are not whole records.
std::optional<std::vector<DeviceRecord>> DecodeMonitorFile(std::span<const std::uint8_t> bytes);

// The file of `entries`, their bytes one after another.
std::vector<std::uint8_t> EncodeMonitorFile(std::span<const DeviceRecord> entries);

// A record read at start-up: the liveness values start afresh, and only a not-alive mark (1)
// survives as an image.
void PrepareStartupRecord(DeviceRecord& record);

// A record read by "Monitor load": the liveness values start afresh; the image stays as stored.
void PrepareLoadedRecord(DeviceRecord& record);

} // namespace fenwick
