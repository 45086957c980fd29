// What liveness polling and the event log say to the operator, and the trap list's headings. These
// texts are shown exactly as written here, misspellings included ("Warnibg", "not exit"):
// operators' notes and scripts match on them. Do not correct them. The log's own lines stand in
// codec/event_log_lines.cpp.
#pragma once

#include "core/support/support_texts.h"

namespace fenwick::texts {

inline constexpr QLatin1String kPollingError("polling error %1"); // %1 the socket error number
inline constexpr QLatin1String kResendFail("Resend fail");
inline constexpr QLatin1String kCaptionWarnibg("Warnibg");
inline constexpr QLatin1String kSyslogNotExit("syslog.log not exit");

// The column headings of the trap window's list: the image, the trap, and a blank last column.
inline constexpr QLatin1String kTrapHeadingImage("S");
inline constexpr QLatin1String kTrapHeadingTime("Time");
inline constexpr QLatin1String kTrapHeadingIp("IP");
inline constexpr QLatin1String kTrapHeadingEvent("Event");
inline constexpr QLatin1String kTrapHeadingBlank(" ");

} // namespace fenwick::texts
