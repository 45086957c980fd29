#include "desktop_launcher.h"

#include <QProcess>

namespace fenwick {

bool DesktopLauncher::OpenInTextEditor(const QString& path) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

bool DesktopLauncher::OpenInBrowser(const QString& url) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url});
}

} // namespace fenwick
