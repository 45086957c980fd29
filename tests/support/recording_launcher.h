// Launcher double: records the files and addresses that would have been opened, and answers
// as told.
#pragma once

#include "core/ports/launcher.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace fenwick::testing {

class RecordingLauncher final : public Launcher {
public:
    bool OpenInTextEditor(const QString& path) override {
        textEditorFiles << path;
        return starts;
    }

    // A browser that does not start fails at once; one that starts keeps its failure for the
    // test to report later (FailBrowsers), as a starter that exits with an error does.
    void OpenInBrowser(const QString& url, std::function<void()> failed) override {
        browserUrls << url;
        if (!starts) {
            failed();
            return;
        }
        browserFailures.push_back(std::move(failed));
    }

    // The browsers started so far report failure.
    void FailBrowsers() {
        const std::vector<std::function<void()>> failures = std::move(browserFailures);
        browserFailures.clear();
        for (const auto& failed : failures) {
            failed();
        }
    }

    QStringList textEditorFiles;
    QStringList browserUrls;
    std::vector<std::function<void()>> browserFailures;
    bool starts = true;
};

} // namespace fenwick::testing
