// The application object: it runs the main window, and the program lives as long as that
// window does.
#pragma once

#include <QApplication>

namespace fenwick {

class CKestrelApp final : public QApplication {
    Q_OBJECT

public:
    CKestrelApp(int& argc, char** argv);

    // Builds the program's state, ports and core, and runs the main window until it ends;
    // `configFolder` is the one --config-dir named (empty: none). Returns false: nothing is
    // left to run afterwards.
    bool InitInstance(const QString& configFolder);
};

} // namespace fenwick
