// The core over the real platform for one command from a script: no window, no display. The
// boxes the core shows become lines on standard error as they come, and a command runs the
// event loop until its result is in.
#pragma once

#include "core/app/manager_core.h"
#include "core/ports/config_folders.h"
#include "core/state/program_state.h"
#include "ctl/device_argument.h"
#include "ctl/script_prompts.h"
#include "platform/posix_datagram_socket.h"
#include "platform/qt_timers.h"
#include "platform/system_clock.h"
#include "platform/system_local_addresses.h"

#include <QEventLoop>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace fenwick::ctl {

// A command has no desktop: nothing is opened in an editor or a browser.
class NoLauncher final : public Launcher {
public:
    bool OpenInTextEditor(const QString&) override { return false; }
    void OpenInBrowser(const QString&, std::function<void()> failed) override { failed(); }
};

class CtlSession {
public:
    explicit CtlSession(const ConfigFolders& folders);
    ~CtlSession();
    CtlSession(const CtlSession&) = delete;
    CtlSession& operator=(const CtlSession&) = delete;

    // Starts the core: kExitDone when the command can go on, otherwise kExitEnvironment after
    // saying why.
    int Start(ManagerCore::MonitorListUse use = ManagerCore::MonitorListUse::Leave);

    ManagerCore& Core() { return core_; }
    ScriptPrompts& Prompts() { return prompts_; }

    // Every box is written to standard error as it is shown; `look` also sees each one (a
    // command ends on the one that tells its result). Empty: only written.
    void LookAtBoxes(std::function<void(const ScriptPrompts::Box&)> look);

    // One discovery and the answers of `milliseconds`: kExitDone, or kExitEnvironment when it
    // could not be sent.
    int Discover(int milliseconds);
    // The Discovery List row of the device `device` names, from the last discovery.
    std::optional<int> FindDiscovered(const DeviceArgument& device);
    // The record behind a Discovery List row.
    const DeviceRecord* DiscoveredRecord(int row);
    // Makes `row` the one selected device, as the operator's click would.
    void SelectDiscovered(int row);

    // Runs the event loop until Finish() or for `milliseconds` (negative: no limit); true when
    // Finish() ended it, or was called since the last run (a result that came at once).
    bool RunUntilFinished(int milliseconds);
    void Finish();

private:
    std::unique_ptr<ProgramState> state_; // large tables: on the heap
    SystemLocalAddresses localAddresses_;
    PosixDatagramSocketFactory sockets_{localAddresses_};
    QtTimers timers_;
    SystemClock clock_;
    NoLauncher launcher_;
    ScriptPrompts prompts_;
    ManagerCore core_;
    std::function<void(const ScriptPrompts::Box&)> look_;
    QEventLoop* running_ = nullptr; // the loop RunUntilFinished runs, while it runs
    bool finished_ = false;
};

} // namespace fenwick::ctl
