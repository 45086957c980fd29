// Launcher double: records the files that would have been opened, and answers as told.
#pragma once

#include "core/ports/launcher.h"

#include <QStringList>

namespace fenwick::testing {

class RecordingLauncher final : public Launcher {
public:
    bool OpenInTextEditor(const QString& path) override {
        textEditorFiles << path;
        return starts;
    }

    QStringList textEditorFiles;
    bool starts = true;
};

} // namespace fenwick::testing
