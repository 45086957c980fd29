#include "manager_core.h"

#include "core/app/app_texts.h"
#include "core/firmware/tftp_transfer.h"
#include "core/lists/device_columns.h"
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

ManagerCore::ManagerCore(ProgramState& state, Ports ports, QString configFolder,
                         QString applicationName, QObject* parent)
    : QObject(parent), state_(state), ports_(ports), configFolder_(std::move(configFolder)),
      boxes_(ports.prompts), lists_(MakeLists(this)), trapIndicator_(new TrapIndicator(this)),
      trapList_(new TrapList(state, this)),
      sockets_(std::make_unique<ProtocolSockets>(ports.sockets, ports.prompts)),
      monitor_(std::make_unique<MonitorListService>(state, ports.prompts, lists_)),
      monitorFile_(std::make_unique<MonitorFile>(state, ports.prompts, *monitor_, configFolder_)),
      eventLog_(std::make_unique<EventLog>(configFolder_, boxes_, ports.clock, ports.launcher)),
      trapReception_(std::make_unique<TrapReception>(state, *monitor_, *eventLog_, ports.clock,
                                                     *trapIndicator_)),
      discovery_(std::make_unique<DiscoveryService>(state, boxes_, lists_, *monitor_)),
      dispatcher_(std::make_unique<ReplyDispatcher>(state, boxes_, *discovery_, *trapReception_)),
      polling_(std::make_unique<LivenessPolling>(state, boxes_, ports.timers, ports.clock,
                                                 *sockets_, *monitor_, *eventLog_,
                                                 std::move(applicationName))),
      tftp_(
          std::make_unique<TftpTransfer>(state, boxes_, ports.sockets, ports.timers, *eventLog_)) {
    new SelectionRule(lists_.discovery, lists_.discoverySelection, lists_.monitor,
                      lists_.monitorSelection, this);
}

ManagerCore::~ManagerCore() = default;

void ManagerCore::Initialise() {
    state_.RefreshSeconds = kInitialRefreshSeconds;
    ClearTraps(state_.TrapTable, state_.TrapCount);
    if (!LoadDefinitionFile(DefinitionFilePath(configFolder_), ports_.prompts, state_.Protocol)) {
        ports_.prompts.MessageBox(texts::kApplicationFail, texts::kCaptionError,
                                  UserPrompts::Icon::Error);
    }
    state_.Reply.AgentKey = state_.Protocol.AgentKey;

    state_.DiscoveryTable.fill(ZeroRecord());
    state_.MonitorTable.fill(ZeroRecord());
    monitorFile_->LoadAtStartup();

    sockets_->Open(state_.Protocol.BasePort, state_.Protocol.UnicastPort,
                   [this](DatagramSocket& socket) { dispatcher_->DrainSocket(socket); });
    polling_->Start();

    state_.Pending.WritePendingSetMac({});
    state_.Pending.WritePendingSetIp(0);
    SetFieldText(state_.Reply.UpgradeTargetMac, {});
    state_.Reply.TriggerAcknowledged = 0;
    state_.Upgrade = UpgradeValues{};
}

void ManagerCore::Shutdown() {
    polling_->Stop();
    sockets_->Close();
}

void ManagerCore::Discovery() {
    discovery_->SendRequest(sockets_->BroadcastSocket());
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

} // namespace fenwick
