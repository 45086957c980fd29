// The captions every subsystem's boxes share, and what the shared helpers say. These texts are
// shown exactly as written here: operators' notes and scripts match on them. Do not correct them.
#pragma once

#include <QLatin1String>

namespace fenwick::texts {

inline constexpr QLatin1String kCaptionError("Error");
inline constexpr QLatin1String kCaptionInformation("Information");
inline constexpr QLatin1String kCaptionWarning("Warning");

// A configuration folder that is not the operator's own; %1 the folder.
inline constexpr QLatin1String
    kFolderWritableByOthers("The configuration folder %1 can be written by other users: they "
                            "could change the files Fenwick reads and writes there.");
inline constexpr QLatin1String
    kFolderOwnedByOther("The configuration folder %1 belongs to another user: they could change "
                        "the files Fenwick reads and writes there.");

} // namespace fenwick::texts
