// The desktop launcher over a stand-in for xdg-open: the browser's start is watched without
// blocking, and a starter that fails, or cannot run at all, is reported.
#include "platform/desktop_launcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace fenwick {
namespace {

TEST(DesktopLauncher, ReportsABrowserThatCannotStart) {
    int argc = 1;
    char name[] = "platform_unit_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    // A stand-in that notes the address it was given and ends as told.
    const auto starter = [&](const char* file, int exitCode) {
        const QString path = folder.filePath(QLatin1String(file));
        QFile script(path);
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf %s \"$1\" > \"$0.url\"\nexit %1\n")
                         .arg(exitCode)
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return path;
    };
    struct Case {
        const char* what;
        QString program;
        bool fails;
    };
    const Case cases[] = {
        {"no browser", starter("fails", 3), true},
        {"a browser", starter("starts", 0), false},
        {"no starter at all", folder.filePath(QStringLiteral("missing")), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DesktopLauncher launcher(c.program);
        int failures = 0;
        QElapsedTimer waited;
        waited.start();
        launcher.OpenInBrowser(QStringLiteral("http://10.77.0.1"), [&] { ++failures; });
        EXPECT_EQ(failures, 0) << "the start does not wait for the starter";
        // The stand-in ends within moments; the failure comes on the event loop after it.
        while (waited.elapsed() < 3000 && failures == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        EXPECT_EQ(failures, c.fails ? 1 : 0);
        if (QFile::exists(c.program)) {
            QFile url(c.program + QStringLiteral(".url"));
            ASSERT_TRUE(url.open(QIODevice::ReadOnly));
            EXPECT_EQ(url.readAll(), QByteArray("http://10.77.0.1"));
        }
    }
}

} // namespace
} // namespace fenwick
