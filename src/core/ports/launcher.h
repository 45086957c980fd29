// Port for starting other programs on the desktop. The platform layer starts them without a
// shell, every argument passed as it is; tests record what would have been started.
#pragma once

#include <QString>
#include <functional>

namespace fenwick {

class Launcher {
public:
    virtual ~Launcher() = default;

    // Starts the desktop's text editor on the file at `path`, without waiting for it. False
    // when it could not be started.
    virtual bool OpenInTextEditor(const QString& path) = 0;

    // Starts the desktop's web browser on `url`, without waiting for it. `failed` runs once, on
    // the event loop, when the browser could not be started: its starter could not run, or
    // ended reporting a failure, which may be long after this returns (or before). It never
    // runs once the launcher is gone.
    virtual void OpenInBrowser(const QString& url, std::function<void()> failed) = 0;
};

} // namespace fenwick
