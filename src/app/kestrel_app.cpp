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

CKestrelApp::~CKestrelApp() = default;

void CKestrelApp::InitInstance(const QString& configFolder) {
    setWindowIcon(pictures::ApplicationIcon());

    program_ = std::make_unique<FenwickProgram>(GetConfigFolder(configFolder));
    CKestrelDlg& window = program_->Window();
    // Shown, not run with exec(): a dialog run that way blocks every other top-level window,
    // the upgrade window among them. The program ends with the main window, whatever else is
    // still open.
    setQuitOnLastWindowClosed(false);
    connect(&window, &QDialog::finished, this, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
}

} // namespace fenwick
