#include "manager_core.h"

#include "core/lists/device_columns.h"
#include "core/lists/monitor_file.h"
#include "core/lists/monitor_list.h"
#include "core/monitor/event_log.h"
#include "core/monitor/liveness_polling.h"
#include "core/monitor/request_accounting.h"
#include "core/monitor/trap_list.h"
#include "core/monitor/trap_reception.h"
#include "core/monitor/trap_table.h"
#include "core/protocol/definition_loader.h"
#include "core/protocol/discovery_service.h"
#include "core/protocol/protocol_sockets.h"
#include "core/protocol/reply_dispatcher.h"

namespace fenwick {

ManagerCore::ManagerCore(ProgramState& state, Ports ports, QString configFolder,
                         QString applicationName, QObject* parent)
    : QObject(parent), state_(state), ports_(ports), configFolder_(std::move(configFolder)),
      boxes_(ports.prompts), discoveryList_(new ListViewModel(DiscoveryColumns(), this)),
      monitorList_(new ListViewModel(MonitorColumns(), this)),
      discoverySelection_(new ListSelection(discoveryList_, this)),
      monitorSelection_(new ListSelection(monitorList_, this)),
      sockets_(std::make_unique<ProtocolSockets>(ports.sockets, ports.prompts)),
      discovery_(std::make_unique<DiscoveryService>(
          state, boxes_,
          DiscoveryService::Lists{*discoveryList_, *discoverySelection_, *monitorList_,
                                  *monitorSelection_})),
      dispatcher_(std::make_unique<ReplyDispatcher>(state, boxes_, *discovery_)),
      monitor_(std::make_unique<MonitorListService>(
          state, ports.prompts,
          MonitorListService::Lists{*discoveryList_, *discoverySelection_, *monitorList_,
                                    *monitorSelection_})),
      monitorFile_(std::make_unique<MonitorFile>(state, ports.prompts, *monitor_, configFolder_)),
      eventLog_(std::make_unique<EventLog>(configFolder_, boxes_, ports.clock, ports.launcher)),
      polling_(std::make_unique<LivenessPolling>(state, boxes_, ports.timers, *sockets_, *monitor_,
                                                 *eventLog_, std::move(applicationName))),
      trapReception_(std::make_unique<TrapReception>(state, *monitor_, *eventLog_)),
      trapList_(new TrapList(state, this)) {
    new SelectionRule(*discoveryList_, *discoverySelection_, *monitorList_, *monitorSelection_,
                      this);
    discovery_->ShowMonitorRow = [this](int index) { monitor_->ShowMonitorRow(index); };
    discovery_->MarkAllRequestsSent = [this] {
        MarkAllRequestsSent(state_.MonitorTable, monitor_->Count());
    };
    trapReception_->ShowTrapArrived = [this] { emit TrapIndicatorChanged(true); };
    dispatcher_->SetTrapHandler([this](const DeviceRecord&, std::span<const std::uint8_t> body) {
        trapReception_->HandleTrap(body);
    });
}

ManagerCore::~ManagerCore() = default;

void ManagerCore::Initialise() {
    state_.RefreshSeconds = kInitialRefreshSeconds;
    ClearTraps(state_.TrapTable, state_.TrapCount);
    if (LoadDefinitionFile(DefinitionFilePath(configFolder_), ports_.prompts, state_.Protocol) !=
        0) {
        ports_.prompts.MessageBox(QStringLiteral("It will cause the application fail\n "),
                                  QStringLiteral("Error"), UserPrompts::Icon::Error);
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
    sorter_.SortDiscoveryList(*discoveryList_, column);
}

void ManagerCore::SortMonitorList(int column) {
    sorter_.SortMonitorList(*monitorList_, column);
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
    emit TrapIndicatorChanged(false);
}

} // namespace fenwick
