// What a device's error codes say to the operator: the text shown for an error reply's code.
// These texts are shown exactly as written here, odd spellings included ("unknow"): operators'
// notes and scripts match on them. Do not correct them.
#pragma once

#include <string_view>

namespace fenwick::texts {

inline constexpr std::string_view
    kDeviceProtocolVersionError("Device return : protocol version Error");
inline constexpr std::string_view kDevicePasswordError("Device return : password error");
inline constexpr std::string_view kDeviceCommandError("Device return : command Error");
inline constexpr std::string_view kDeviceParametersError("Device return : parameters Error");
inline constexpr std::string_view kDeviceUnknownError("Device return : unknow error");

} // namespace fenwick::texts
