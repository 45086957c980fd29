// Launcher double: records the files and addresses that would have been opened, and answers
// as told.
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

    bool OpenInBrowser(const QString& url) override {
        browserUrls << url;
        return starts;
    }

    QStringList textEditorFiles;
    QStringList browserUrls;
    bool starts = true;
};

} // namespace fenwick::testing
