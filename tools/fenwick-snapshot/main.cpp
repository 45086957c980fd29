// fenwick-snapshot: starts Fenwick, presses "Discovery" as an operator would, waits until the
// answers have stopped coming, and saves a picture of the main window. It shows the program
// at work where nobody can watch a screen (a server, CI); run it on a display, real or
// virtual, inside the lab.
//   fenwick-snapshot CFG_FOLDER OUTPUT.png
#include "app/fenwick_program.h"
#include "windows/pictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

QAbstractButton* FindButton(QWidget& window, const QString& accessibleName) {
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->accessibleName() == accessibleName) {
            return button;
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: fenwick-snapshot CFG_FOLDER OUTPUT.png\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    app.setWindowIcon(fenwick::pictures::ApplicationIcon());
    fenwick::FenwickProgram program(fenwick::ConfigFolders{QString::fromLocal8Bit(argv[1]), {}});
    fenwick::CKestrelDlg& window = program.Window();
    window.show();

    QAbstractButton* discovery = FindButton(window, QStringLiteral("Discovery"));
    if (discovery == nullptr) {
        std::fprintf(stderr, "fenwick-snapshot: no Discovery button\n");
        return 1;
    }
    int result = 1;
    QTimer::singleShot(500, discovery, &QAbstractButton::click);
    // Rows arrive within milliseconds; a second without a new one means the answers are in.
    QTimer watch;
    QElapsedTimer quiet;
    int lastRows = -1;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const int rows = program.Core().DiscoveryList().RowCount();
        if (rows != lastRows) {
            lastRows = rows;
            quiet.restart();
            return;
        }
        if (rows > 0 && quiet.elapsed() > 1000) {
            watch.stop();
            if (window.grab().save(output)) {
                std::printf("%d devices discovered; picture of the main window: %s\n", rows,
                            qPrintable(output));
                result = 0;
            } else {
                std::fprintf(stderr, "fenwick-snapshot: cannot write %s\n", qPrintable(output));
            }
            program.Core().Shutdown();
            app.quit();
        }
    });
    quiet.start();
    watch.start(100);
    // Nothing answering is a result too; stop after a while and say so.
    QTimer::singleShot(15000, &app, [&] {
        std::fprintf(stderr, "fenwick-snapshot: no device answered the discovery\n");
        app.quit();
    });
    app.exec();
    return result;
}
