#include "desktop_launcher.h"

#include <QProcess>

namespace fenwick {

DesktopLauncher::DesktopLauncher(QString program) : program_(std::move(program)) {}

DesktopLauncher::~DesktopLauncher() {
    // A starter still running at the end (xdg-open may wait for the browser it started) goes
    // with the program, and nobody is told; the browser itself, holding no pipe of ours, stays.
    for (QProcess* starter : starters_.findChildren<QProcess*>()) {
        QObject::disconnect(starter, nullptr, nullptr, nullptr);
    }
}

bool DesktopLauncher::OpenInTextEditor(const QString& path) {
    return QProcess::startDetached(program_, {path});
}

void DesktopLauncher::OpenInBrowser(const QString& url, std::function<void()> failed) {
    auto* starter = new QProcess(&starters_);
    // The browser may inherit these and outlive the starter: it gets no pipe to the program.
    starter->setStandardInputFile(QProcess::nullDevice());
    starter->setStandardOutputFile(QProcess::nullDevice());
    starter->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(starter, &QProcess::errorOccurred, &starters_,
                     [starter, failed](QProcess::ProcessError error) {
                         // A crash also ends in finished, which tells of it.
                         if (error == QProcess::FailedToStart) {
                             starter->deleteLater();
                             failed();
                         }
                     });
    QObject::connect(starter, &QProcess::finished, &starters_,
                     [starter, failed](int exitCode, QProcess::ExitStatus status) {
                         starter->deleteLater();
                         if (status != QProcess::NormalExit || exitCode != 0) {
                             failed();
                         }
                     });
    starter->start(program_, {url});
}

} // namespace fenwick
