#include "kestrel_app.h"

#include "core/app/manager_core.h"
#include "core/app/program_state.h"
#include "core/protocol/config_folder.h"
#include "platform/posix_datagram_socket.h"
#include "windows/kestrel_dlg.h"
#include "windows/message_box_prompts.h"
#include "windows/pictures.h"

#include <memory>

namespace fenwick {

CKestrelApp::CKestrelApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Fenwick"));
    setApplicationVersion(QStringLiteral("2.02"));
}

bool CKestrelApp::InitInstance() {
    setWindowIcon(pictures::ApplicationIcon());

    // The tables are large; they live on the heap for the whole run.
    const auto state = std::make_unique<ProgramState>();
    PosixDatagramSocketFactory sockets;
    MessageBoxPrompts prompts;
    ManagerCore core(*state, ManagerCore::Ports{prompts, sockets}, GetConfigFolder());

    CKestrelDlg dialog(core);
    prompts.SetOwner(&dialog);
    dialog.exec();
    return false;
}

} // namespace fenwick
