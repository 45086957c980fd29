// The behaviour behind the main window: start-up, the two lists, the sockets with the reply
// dispatcher, and the commands. The window forwards user actions here and shows the models.
#pragma once

#include "core/config/configuration_set.h"
#include "core/config/set_request.h"
#include "core/lists/list_selection.h"
#include "core/lists/list_sorter.h"
#include "core/lists/list_view_model.h"
#include "core/lists/main_lists.h"
#include "core/monitor/trap_indicator.h"
#include "core/ports/clock.h"
#include "core/ports/config_folders.h"
#include "core/ports/datagram_socket.h"
#include "core/ports/launcher.h"
#include "core/ports/local_addresses.h"
#include "core/ports/timers.h"
#include "core/ports/user_prompts.h"
#include "core/state/program_state.h"
#include "core/support/unstacked_boxes.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

namespace fenwick {

class DeviceSelection;
class DiscoveryService;
class EventLog;
class TftpTransfer;
class ListExport;
class LivenessPolling;
class MonitorFile;
class MonitorListService;
class PasswordChange;
class ProtocolSockets;
class RemoteAddition;
class ReplyDispatcher;
class TrapList;
class TrapReception;
class UpgradeConfirmation;
class UpgradeLaunch;
class UpgradeStart;
class WebAccess;

class ManagerCore final : public QObject {
    Q_OBJECT

public:
    struct Ports {
        UserPrompts& prompts;
        DatagramSocketFactory& sockets;
        Timers& timers;
        const Clock& clock;
        Launcher& launcher;
        const LocalAddresses& localAddresses;
        UserPrompts& upgradePrompts; // the boxes of the upgrade window
    };

    // `applicationName` is the executable's file name without extension, which captions the
    // boxes that carry the program's name.
    ManagerCore(ProgramState& state, Ports ports, ConfigFolders folders, QString applicationName,
                QObject* parent = nullptr);
    ~ManagerCore() override;

    // The main window's initialisation, in start-up order: RefreshSeconds and TrapTable, a
    // warning when the configuration folder is open to other users, definition file, tables
    // cleared, monitor.cfg restored, sockets opened, liveness polling started (its first cycle due
    // at once), pending values cleared.
    void Initialise();
    // How a start for a command from a script ended.
    enum class CommandStart { Ready, NoDefinition, SocketsUnusable };
    // Whether a command from a script works with the operator's monitor list.
    enum class MonitorListUse {
        Leave,   // left alone: the command addresses the devices it names
        Restore, // restored from monitor.cfg as the window does (traps come from these devices)
    };
    // The start of a command run from a script: the definition file, the monitor list when
    // asked, and both protocol sockets, never the liveness polling (a command is not there to
    // tell the operator which device is alive). Anything but Ready has told the prompts why.
    [[nodiscard]] CommandStart StartForCommands(MonitorListUse use = MonitorListUse::Leave);
    // Stops the polling and closes both protocol sockets; called by every way of ending the
    // program.
    void Shutdown();

    // "Discovery" button. False when the request could not be sent, after telling the operator.
    bool Discovery();

    // "Add to monitor list" button: moves the selected Discovery List devices to the monitor
    // list.
    void AddToMonitorList();
    // Double-click on a Discovery List row: moves that device when it is the only one selected.
    void DiscoveryDoubleClicked();
    // "Delete item" button: removes the selected Monitor List devices after a confirmation.
    void DeleteItem();
    // A click on a column header of the Discovery List or the Monitor List.
    void SortDiscoveryList(int column);
    void SortMonitorList(int column);
    // File menu: "Monitor save", "Monitor save as", "Monitor load".
    void MonitorSave();
    void MonitorSaveAs();
    void MonitorLoad();
    // File menu: "Export lists...", both lists to a CSV file the operator picks.
    void ExportLists();

    // Shows MonitorTable[index] in the Monitor List, inserting or refreshing its row.
    void ShowMonitorRow(int index);

    // Option > "Refresh time": 15, 30, 60, 120 or 300 seconds, from the next wait on.
    void SetRefreshSeconds(int seconds);
    // View menu: "View log" and "Clear log".
    void ViewLog();
    void ClearLog();
    // "View trap": turns the TrapIndicator green; the window then shows Traps() in the trap
    // window.
    void ViewTrap();
    TrapList& Traps() { return *trapList_; }
    // Every trap accepted from a monitored device, after it is logged and stored.
    TrapReception& Reception() { return *trapReception_; }
    EventLog& Log() { return *eventLog_; }
    // "Firmware upgrade": chooses the selected device and checks it; true when the upgrade
    // window may open for UpgradeTargetIp and UpgradeTargetMac.
    [[nodiscard]] bool ChooseForUpgrade();
    // The upgrade window's "Start" and "Browse", and the transfer it follows (Transfer()).
    UpgradeStart& Upgrade() { return *upgradeStart_; }
    // The firmware transfer the upgrade window follows and cancels.
    TftpTransfer& Tftp() { return *tftp_; }
    // What the TrapIndicator shows; the window follows its signal.
    TrapIndicator& Indicator() { return *trapIndicator_; }

    // "Configuration setting": captures both lists' row counts and chooses the selected
    // device; true when its dialog may open, which drives Configuration().
    [[nodiscard]] bool ChooseForConfiguration();
    ConfigurationSet& Configuration() { return *configurationSet_; }
    // "Password change": chooses the selected device; true when its dialog may open, which
    // drives Password().
    [[nodiscard]] bool ChooseForPasswordChange();
    PasswordChange& Password() { return *passwordChange_; }
    // "Add item": true when the "Remote IP" dialog may open; its "Apply" drives RemoteIp(),
    // and FinishAddItem follows when "Apply" closed it.
    [[nodiscard]] bool BeginAddItem();
    RemoteAddition& RemoteIp() { return *remoteAddition_; }
    void FinishAddItem();
    // "Web access" button and a double-click in the Monitor List.
    void OpenWebAccess();
    void MonitorDoubleClicked();

    ListViewModel& DiscoveryList() { return lists_.discovery; }
    ListViewModel& MonitorList() { return lists_.monitor; }
    ListSelection& DiscoverySelection() { return lists_.discoverySelection; }
    ListSelection& MonitorSelection() { return lists_.monitorSelection; }
    ProgramState& State() { return state_; }

private:
    // The parts of a start, in start-up order.
    void ClearProgramValues();
    [[nodiscard]] bool LoadDefinition();
    [[nodiscard]] bool OpenSockets();
    void ClearPendingValues();

    // Built in this order, each from those before it.
    ProgramState& state_;
    Ports ports_;
    ConfigFolders folders_;
    UnstackedBoxes boxes_;
    UnstackedBoxes upgradeBoxes_; // the upgrade window's, for what datagrams and timers raise
    MainLists lists_;
    ListSorter sorter_;
    TrapIndicator* trapIndicator_;
    TrapList* trapList_;
    std::unique_ptr<ProtocolSockets> sockets_;
    std::unique_ptr<MonitorListService> monitor_;
    std::unique_ptr<MonitorFile> monitorFile_;
    std::unique_ptr<ListExport> listExport_;
    std::unique_ptr<EventLog> eventLog_;
    std::unique_ptr<TrapReception> trapReception_;
    std::unique_ptr<DiscoveryService> discovery_;
    std::unique_ptr<ReplyDispatcher> dispatcher_;
    std::unique_ptr<LivenessPolling> polling_;
    std::unique_ptr<UpgradeConfirmation> upgradeConfirmation_;
    std::unique_ptr<TftpTransfer> tftp_;
    std::unique_ptr<DeviceSelection> selection_;
    std::unique_ptr<SetRequest> setRequest_;
    std::unique_ptr<ConfigurationSet> configurationSet_;
    std::unique_ptr<PasswordChange> passwordChange_;
    std::unique_ptr<RemoteAddition> remoteAddition_;
    std::unique_ptr<WebAccess> webAccess_;
    std::unique_ptr<UpgradeLaunch> upgradeLaunch_;
    UpgradeStart* upgradeStart_;
};

} // namespace fenwick
