// The application object: it runs the main window, and the program lives as long as that
// window does.
#pragma once

#include <QApplication>
#include <memory>

namespace fenwick {

class FenwickProgram;

class CKestrelApp final : public QApplication {
    Q_OBJECT

public:
    CKestrelApp(int& argc, char** argv);
    ~CKestrelApp() override;

    // Builds the program's state, ports and core and shows the main window, whose end ends the
    // event loop; `configFolder` is the one --config-dir named (empty: none). The event loop
    // that follows is what runs the program.
    void InitInstance(const QString& configFolder);

private:
    std::unique_ptr<FenwickProgram> program_;
};

} // namespace fenwick
