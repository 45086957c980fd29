// What the program says to the operator at start-up. These texts are shown exactly as written
// here, odd spellings, blanks and line breaks included: operators' notes and scripts match on
// them. Do not correct them.
#pragma once

#include "core/support/support_texts.h"

#include <QLatin1String>

namespace fenwick::texts {

inline constexpr QLatin1String kApplicationFail("It will cause the application fail\n ");
// Follows kApplicationFail in its box: %1 the folders searched for define.ecf, one a line.
inline constexpr QLatin1String kDefinitionLookedIn("\ndefine.ecf looked for in:\n%1");

} // namespace fenwick::texts
