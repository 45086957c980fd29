#include "manager_core.h"

#include "core/app/app_texts.h"
#include "core/config/device_selection.h"
#include "core/config/password_change.h"
#include "core/config/remote_addition.h"
#include "core/config/web_access.h"
#include "core/firmware/tftp_transfer.h"
#include "core/firmware/upgrade_confirmation.h"
#include "core/firmware/upgrade_launch.h"
#include "core/firmware/upgrade_start.h"
#include "core/lists/device_columns.h"
#include "core/lists/list_export.h"
#include "core/lists/monitor_file.h"
#include "core/lists/monitor_list_service.h"
#include "core/lists/selection_rule.h"
#include "core/monitor/event_log.h"
#include "core/monitor/liveness_polling.h"
#include "core/monitor/trap_list.h"
#include "core/monitor/trap_reception.h"
#include "core/monitor/trap_table.h"
#include "core/protocol/definition_loader.h"
#include "core/protocol/discovery_service.h"
#include "core/protocol/protocol_sockets.h"
#include "core/protocol/reply_dispatcher.h"
#include "core/support/folder_trust.h"
#include "core/support/latin1.h"

namespace fenwick {

namespace {

// The two main lists with their selections, owned by `owner`.
MainLists MakeLists(QObject* owner) {
    auto* discovery = new ListViewModel(DiscoveryColumns(), owner);
    auto* monitor = new ListViewModel(MonitorColumns(), owner);
    return {*discovery, *new ListSelection(discovery, owner), *monitor,
            *new ListSelection(monitor, owner)};
}

} // namespace

ManagerCore::ManagerCore(ProgramState& state, Ports ports, ConfigFolders folders,
                         QString applicationName, QObject* parent)
    : QObject(parent), state_(state), ports_(ports), folders_(std::move(folders)),
      boxes_(ports.prompts), upgradeBoxes_(ports.upgradePrompts), lists_(MakeLists(this)),
      trapIndicator_(new TrapIndicator(this)), trapList_(new TrapList(state, this)),
      sockets_(std::make_unique<ProtocolSockets>(ports.sockets, ports.prompts)),
      monitor_(std::make_unique<MonitorListService>(state, ports.prompts, lists_)),
      monitorFile_(std::make_unique<MonitorFile>(state.MonitorTable, ports.prompts, *monitor_,
                                                 folders_.folder)),
      listExport_(std::make_unique<ListExport>(ports.prompts, lists_)),
      eventLog_(std::make_unique<EventLog>(folders_.folder, boxes_, ports.clock, ports.launcher)),
      trapReception_(std::make_unique<TrapReception>(state, *monitor_, *eventLog_, ports.clock,
                                                     *trapIndicator_)),
      discovery_(std::make_unique<DiscoveryService>(state, boxes_, lists_, *monitor_)),
      dispatcher_(
          std::make_unique<ReplyDispatcher>(state.Reply, boxes_, *discovery_, *trapReception_)),
      polling_(std::make_unique<LivenessPolling>(state, boxes_, ports.timers, ports.clock,
                                                 *sockets_, *monitor_, *eventLog_,
                                                 std::move(applicationName))),
      upgradeConfirmation_(std::make_unique<UpgradeConfirmation>(state.Reply, boxes_, ports.timers,
                                                                 *discovery_, *sockets_)),
      tftp_(std::make_unique<TftpTransfer>(state.Upgrade, upgradeBoxes_, ports.sockets,
                                           ports.timers, *eventLog_, *upgradeConfirmation_)),
      selection_(std::make_unique<DeviceSelection>(state, ports.prompts, lists_)),
      setRequest_(std::make_unique<SetRequest>(state, ports.prompts, *sockets_, *monitor_)),
      configurationSet_(
          std::make_unique<ConfigurationSet>(state, ports.prompts, *selection_, *setRequest_)),
      passwordChange_(std::make_unique<PasswordChange>(ports.prompts, *selection_, *setRequest_)),
      remoteAddition_(std::make_unique<RemoteAddition>(state, ports.prompts, lists_, *monitor_)),
      webAccess_(std::make_unique<WebAccess>(state, ports.prompts, boxes_, lists_, ports.launcher)),
      upgradeLaunch_(std::make_unique<UpgradeLaunch>(state, ports.prompts, ports.localAddresses,
                                                     *selection_, lists_, *upgradeConfirmation_)),
      upgradeStart_(
          new UpgradeStart(state, ports.upgradePrompts, *sockets_, ports.timers, *tftp_, this)) {
    new SelectionRule(lists_.discovery, lists_.discoverySelection, lists_.monitor,
                      lists_.monitorSelection, this);
}

ManagerCore::~ManagerCore() = default;

void ManagerCore::Initialise() {
    ClearProgramValues();
    // Said once; the program goes on with the folder as it is.
    if (const QString problem = FolderTrustProblem(folders_.folder); !problem.isEmpty()) {
        ports_.prompts.MessageBox(problem, texts::kCaptionWarning, UserPrompts::Icon::Warning);
    }
    // The window starts in any case: a failure has been told, and the operator may go on.
    static_cast<void>(LoadDefinition());
    monitorFile_->LoadAtStartup();
    static_cast<void>(OpenSockets());
    polling_->Start();
    ClearPendingValues();
}

ManagerCore::CommandStart ManagerCore::StartForCommands(MonitorListUse use) {
    ClearProgramValues();
    if (!LoadDefinition()) {
        return CommandStart::NoDefinition;
    }
    if (use == MonitorListUse::Restore) {
        monitorFile_->LoadAtStartup();
    }
    if (!OpenSockets()) {
        return CommandStart::SocketsUnusable;
    }
    ClearPendingValues();
    return CommandStart::Ready;
}

void ManagerCore::ClearProgramValues() {
    state_.RefreshSeconds = kInitialRefreshSeconds;
    ClearTraps(state_.TrapTable, state_.TrapCount);
    state_.DiscoveryTable.fill(ZeroRecord());
    state_.MonitorTable.fill(ZeroRecord());
}

bool ManagerCore::LoadDefinition() {
    const DefinitionLocation definition = FindDefinitionFile(folders_);
    const bool loaded = LoadDefinitionFile(definition.path, ports_.prompts, state_.Protocol);
    if (!loaded) {
        ports_.prompts.MessageBox(
            texts::kApplicationFail +
                QString(texts::kDefinitionLookedIn).arg(definition.foldersLookedIn.join(u'\n')),
            texts::kCaptionError, UserPrompts::Icon::Error);
    }
    state_.Reply.AgentKey = state_.Protocol.AgentKey;
    return loaded;
}

bool ManagerCore::OpenSockets() {
    return sockets_->Open(state_.Protocol.BasePort, state_.Protocol.UnicastPort,
                          [this](DatagramSocket& socket) { dispatcher_->DrainSocket(socket); });
}

void ManagerCore::ClearPendingValues() {
    state_.Pending.WritePendingSetMac({});
    state_.Pending.WritePendingSetIp(0);
    SetFieldText(state_.Reply.UpgradeTargetMac, {});
    state_.Reply.TriggerAcknowledged = 0;
    SetFieldText(state_.Reply.ConfirmationTargetMac, {});
    state_.Reply.UpgradeConfirmed = 0;
    state_.Upgrade = UpgradeValues{};
}

void ManagerCore::Shutdown() {
    polling_->Stop();
    sockets_->Close();
}

bool ManagerCore::Discovery() {
    return discovery_->SendRequest(sockets_->BroadcastSocket());
}

void ManagerCore::AddToMonitorList() {
    monitor_->AddToMonitorList();
}

void ManagerCore::DiscoveryDoubleClicked() {
    monitor_->DiscoveryDoubleClicked();
}

void ManagerCore::DeleteItem() {
    monitor_->DeleteItem();
}

void ManagerCore::SortDiscoveryList(int column) {
    sorter_.SortDiscoveryList(lists_.discovery, column);
}

void ManagerCore::SortMonitorList(int column) {
    sorter_.SortMonitorList(lists_.monitor, column);
}

void ManagerCore::MonitorSave() {
    monitorFile_->Save();
}

void ManagerCore::MonitorSaveAs() {
    monitorFile_->SaveAs();
}

void ManagerCore::MonitorLoad() {
    monitorFile_->Load();
}

void ManagerCore::ExportLists() {
    listExport_->ExportLists();
}

void ManagerCore::ShowMonitorRow(int index) {
    monitor_->ShowMonitorRow(index);
}

void ManagerCore::SetRefreshSeconds(int seconds) {
    polling_->SetRefreshSeconds(seconds);
}

void ManagerCore::ViewLog() {
    eventLog_->ViewLog();
}

void ManagerCore::ClearLog() {
    eventLog_->ClearLog();
}

void ManagerCore::ViewTrap() {
    trapIndicator_->ShowTrapsViewed();
}

bool ManagerCore::ChooseForConfiguration() {
    state_.Selection.MonitorCount = lists_.monitor.RowCount();
    state_.Selection.DiscoveryCount = lists_.discovery.RowCount();
    return selection_->ChooseDevice();
}

bool ManagerCore::ChooseForPasswordChange() {
    return selection_->ChooseDevice();
}

bool ManagerCore::BeginAddItem() {
    return remoteAddition_->BeginAddItem();
}

void ManagerCore::FinishAddItem() {
    remoteAddition_->FinishAddItem();
}

bool ManagerCore::ChooseForUpgrade() {
    return upgradeLaunch_->ChooseForUpgrade();
}

void ManagerCore::OpenWebAccess() {
    webAccess_->OpenWebAccess();
}

void ManagerCore::MonitorDoubleClicked() {
    webAccess_->MonitorDoubleClicked();
}

} // namespace fenwick
