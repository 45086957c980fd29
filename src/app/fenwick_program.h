// The whole program over the real platform: state, sockets, prompts, core and main window,
// built in the order the main window needs them. The executable runs it; the demo snapshot
// and the end-to-end tests build the same program to drive it.
#pragma once

#include "core/app/manager_core.h"
#include "core/state/program_state.h"
#include "platform/desktop_launcher.h"
#include "platform/posix_datagram_socket.h"
#include "platform/qt_timers.h"
#include "platform/system_clock.h"
#include "platform/system_local_addresses.h"
#include "windows/kestrel_dlg.h"
#include "windows/message_box_prompts.h"

#include <QString>
#include <memory>

namespace fenwick {

class FenwickProgram {
public:
    // `prompts` replaces the message boxes, the upgrade window's too (tests answer them); null
    // keeps the real ones.
    explicit FenwickProgram(const ConfigFolders& folders, UserPrompts* prompts = nullptr);

    ManagerCore& Core() { return core_; }
    CKestrelDlg& Window() { return window_; }

private:
    // The tables are large; they live on the heap for the whole run.
    std::unique_ptr<ProgramState> state_;
    SystemLocalAddresses localAddresses_;
    PosixDatagramSocketFactory sockets_{localAddresses_};
    QtTimers timers_;
    SystemClock clock_;
    DesktopLauncher launcher_;
    MessageBoxPrompts messageBoxes_;
    MessageBoxPrompts upgradeBoxes_; // owned by the upgrade window while it is open
    ManagerCore core_;
    CKestrelDlg window_;
};

} // namespace fenwick
