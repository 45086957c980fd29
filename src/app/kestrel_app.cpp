#include "kestrel_app.h"

#include "app/fenwick_program.h"
#include "platform/config_folder.h"
#include "windows/pictures.h"

namespace fenwick {

CKestrelApp::CKestrelApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Fenwick"));
    setApplicationVersion(QStringLiteral("2.02"));
}

bool CKestrelApp::InitInstance() {
    setWindowIcon(pictures::ApplicationIcon());

    FenwickProgram program(GetConfigFolder());
    program.Window().exec();
    return false;
}

} // namespace fenwick
