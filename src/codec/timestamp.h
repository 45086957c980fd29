// The timestamp text of the event log and the trap table: month first, local time.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace fenwick {

// A moment of local time as the calendar shows it.
struct LocalTime {
    int year = 0;   // four digits
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0; // 0 to 59
    int second = 0; // 0 to 60 (a leap second)
};

inline constexpr std::size_t kTimestampLength = 19;
inline constexpr std::size_t kTimestampBufferSize = kTimestampLength + 1;

// Writes "%02d/%02d/%04d %02d:%02d:%02d" (month, day, year, hour, minute, second) and a zero
// byte. Each value is first held to the digits its place has (0 to 99, the year 0 to 9999), so
// the text always has exactly 19 characters. Returns those 19 characters.
std::string_view FormatTimestamp(const LocalTime& time,
                                 std::span<char, kTimestampBufferSize> buffer);

} // namespace fenwick
