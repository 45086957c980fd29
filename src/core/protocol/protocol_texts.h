// What the agent protocol's parts (sockets, definition file, discovery and the reply stores)
// say to the operator. These texts are shown exactly as written here, odd spellings and
// trailing blanks included: operators' notes and scripts match on them. Do not correct them.
// The devices' own error messages ("Device return : ...") stand in codec/reply_checks.cpp.
#pragma once

#include "core/support/support_texts.h"

namespace fenwick::texts {

inline constexpr QLatin1String kCreatSocketError("Creat Socket error");
inline constexpr QLatin1String kBindSocketError("Bind socket error");
inline constexpr QLatin1String kSetSocketoptError("Set socketopt error");
inline constexpr QLatin1String kDiscoverySentoFail("Discovery sento fail");
inline constexpr QLatin1String kSetSuccessful("Set Successful");
inline constexpr QLatin1String kDiscoveryFull("Add fail, out of 256 devices");

// The definition file: caption, and one text for each way the file can fail (%1... filled in).
inline constexpr QLatin1String kCaptionFileError("file error");
inline constexpr QLatin1String kDefinitionMissing("define.ecf is missing: %1");
inline constexpr QLatin1String kDefinitionUnreadable("define.ecf cannot be read: %1\n%2");
inline constexpr QLatin1String
    kDefinitionTooShort("define.ecf is too short (%1 bytes, at least %2): %3");
inline constexpr QLatin1String
    kDefinitionTooLong("define.ecf is too long (more than %1 bytes): %2");
inline constexpr QLatin1String kDefinitionChecksum("define.ecf checksum error");

} // namespace fenwick::texts
