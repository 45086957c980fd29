#include "timestamp.h"

#include <algorithm>
#include <cstdio>

namespace fenwick {

std::string_view FormatTimestamp(const LocalTime& time,
                                 std::span<char, kTimestampBufferSize> buffer) {
    std::snprintf(buffer.data(), buffer.size(), "%02d/%02d/%04d %02d:%02d:%02d",
                  std::clamp(time.month, 0, 99), std::clamp(time.day, 0, 99),
                  std::clamp(time.year, 0, 9999), std::clamp(time.hour, 0, 99),
                  std::clamp(time.minute, 0, 99), std::clamp(time.second, 0, 99));
    return {buffer.data(), kTimestampLength};
}

} // namespace fenwick
