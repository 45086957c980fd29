// Saving a file the operator relies on: whole or not at all.
#pragma once

#include "core/ports/user_prompts.h"

#include <QByteArrayView>
#include <QLatin1String>
#include <QString>

namespace fenwick {

// Writes `bytes` to `path`, replacing the file only once the new one is complete. False after
// a box (caption "Error") with `unwritableText`, whose %1 is the path and %2 why.
[[nodiscard]] bool SaveWholeFile(const QString& path, QByteArrayView bytes, UserPrompts& prompts,
                                 QLatin1String unwritableText);

} // namespace fenwick
