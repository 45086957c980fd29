// Starts programs of the desktop through xdg-open, which picks the program the desktop has for
// the file. No shell is involved: the path is one argument, whatever characters it holds.
#pragma once

#include "core/ports/launcher.h"

#include <QObject>

namespace fenwick {

class DesktopLauncher final : public Launcher {
public:
    // `program` is what starts the desktop's programs; tests name a stand-in.
    explicit DesktopLauncher(QString program = QStringLiteral("xdg-open"));
    ~DesktopLauncher() override;
    DesktopLauncher(const DesktopLauncher&) = delete;
    DesktopLauncher& operator=(const DesktopLauncher&) = delete;

    bool OpenInTextEditor(const QString& path) override;
    // xdg-open's exit is watched on the event loop: it ends with an error when no browser is
    // set up or the one that is cannot start.
    void OpenInBrowser(const QString& url, std::function<void()> failed) override;

private:
    QString program_;
    // Parent of the browser starters still running.
    QObject starters_;
};

} // namespace fenwick
