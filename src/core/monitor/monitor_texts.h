// What liveness polling and the event log say to the operator. These texts are shown exactly
// as written here, misspellings included ("Warnibg", "not exit"): operators' notes and scripts
// match on them. Do not correct them. The log's own lines stand in codec/event_log_lines.cpp.
#pragma once

#include "core/support/support_texts.h"

namespace fenwick::texts {

inline constexpr QLatin1String kPollingError("polling error %1"); // %1 the socket error number
inline constexpr QLatin1String kResendFail("Resend fail");
inline constexpr QLatin1String kCaptionWarnibg("Warnibg");
inline constexpr QLatin1String kSyslogNotExit("syslog.log not exit");

} // namespace fenwick::texts
