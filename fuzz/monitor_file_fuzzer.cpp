// Monitor list files of any content and size.
#include "codec/device_tables.h"
#include "codec/monitor_records.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The record with its liveness values (ListState, MissCount, StatusImage, Answered) taken from
// `from`: preparing a record read from a file may change those and nothing else.
fenwick::DeviceRecord WithLivenessOf(fenwick::DeviceRecord record,
                                     const fenwick::DeviceRecord& from) {
    record.ListState = from.ListState;
    record.MissCount = from.MissCount;
    record.StatusImage = from.StatusImage;
    record.Answered = from.Answered;
    return record;
}

bool SameBytes(const fenwick::DeviceRecord& a, const fenwick::DeviceRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
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
    // The records as a MonitorTable: every stored text finds a record holding it, the first
    // one, however the text ends (a record from a file may hold no zero byte in a field).
    fenwick::DeviceTable table{};
    std::copy(records.begin(), records.end(), table.begin());
    const int count = static_cast<int>(records.size());
    for (int i = 0; i < count; ++i) {
        const fenwick::DeviceRecord& record = table[static_cast<std::size_t>(i)];
        const std::optional<int> byIp =
            fenwick::FindMonitorByIp(table, count, fenwick::FieldText(record.IpText));
        if (!byIp || *byIp > i ||
            fenwick::FieldText(table[static_cast<std::size_t>(*byIp)].IpText) !=
                fenwick::FieldText(record.IpText)) {
            __builtin_trap();
        }
        const std::optional<int> byMac =
            fenwick::FindMonitorByMac(table, count, fenwick::FieldText(record.MacText));
        if (fenwick::FieldText(record.MacText).empty() ? byMac.has_value()
                                                       : (!byMac || *byMac > i)) {
            __builtin_trap();
        }
    }
    for (const fenwick::DeviceRecord& stored : records) {
        fenwick::DeviceRecord loaded = stored;
        fenwick::PrepareLoadedRecord(loaded);
        fenwick::DeviceRecord started = stored;
        fenwick::PrepareStartupRecord(started);
        // The liveness values start afresh; everything else stays as stored, byte for byte.
        if (!SameBytes(WithLivenessOf(stored, loaded), loaded) ||
            !SameBytes(WithLivenessOf(stored, started), started)) {
            __builtin_trap();
        }
        if (loaded.ListState != 0 || loaded.Answered != 1 || loaded.MissCount != 0 ||
            loaded.StatusImage != stored.StatusImage || started.ListState != 0 ||
            started.Answered != 1 || started.MissCount != 0 ||
            started.StatusImage != (stored.StatusImage == 1 ? 1 : -1)) {
            __builtin_trap();
        }
    }
    return 0;
}
