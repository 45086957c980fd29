// Starts programs of the desktop through xdg-open, which picks the program the desktop has for
// the file. No shell is involved: the path is one argument, whatever characters it holds.
#pragma once

#include "core/ports/launcher.h"

namespace fenwick {

class DesktopLauncher final : public Launcher {
public:
    bool OpenInTextEditor(const QString& path) override;
    bool OpenInBrowser(const QString& url) override;
};

} // namespace fenwick
