#include "kestrel_app.h"

#include "app/fenwick_program.h"
#include "fenwick_version.h"
#include "platform/config_folder.h"
#include "windows/pictures.h"

namespace fenwick {

CKestrelApp::CKestrelApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Fenwick"));
    setApplicationVersion(QStringLiteral(FENWICK_VERSION));
}

bool CKestrelApp::InitInstance(const QString& configFolder) {
    setWindowIcon(pictures::ApplicationIcon());

    FenwickProgram program(GetConfigFolder(configFolder));
    program.Window().exec();
    return false;
}

} // namespace fenwick
