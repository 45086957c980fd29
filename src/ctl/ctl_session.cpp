#include "ctl_session.h"

#include "codec/device_record.h"
#include "codec/device_tables.h"
#include "codec/text_forms.h"
#include "core/lists/device_columns.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_texts.h"
#include "ctl/exit_codes.h"

#include <QTimer>
#include <utility>

namespace fenwick::ctl {
namespace {

// The boxes that carry the program's name carry this one.
const QString kProgramName = QStringLiteral("fenwickctl");

constexpr int kDiscoveryMacColumn = ColumnOf(kDiscoveryFields, DeviceField::Mac);
constexpr int kDiscoveryIpColumn = ColumnOf(kDiscoveryFields, DeviceField::Ip);

} // namespace

CtlSession::CtlSession(const ConfigFolders& folders)
    : state_(std::make_unique<ProgramState>()),
      core_(*state_,
            ManagerCore::Ports{prompts_, sockets_, timers_, clock_, launcher_, localAddresses_,
                               prompts_},
            folders, kProgramName) {
    prompts_.SetShownHandler([this](const ScriptPrompts::Box& box) {
        Say(box.text);
        if (look_) {
            look_(box);
        }
    });
}

CtlSession::~CtlSession() {
    core_.Shutdown();
}

int CtlSession::Start(ManagerCore::MonitorListUse use) {
    switch (core_.StartForCommands(use)) {
    case ManagerCore::CommandStart::Ready:
        return kExitDone;
    case ManagerCore::CommandStart::NoDefinition:
        return kExitEnvironment;
    case ManagerCore::CommandStart::SocketsUnusable:
        Say(QString(texts::kPortsInUse)
                .arg(state_->Protocol.BasePort)
                .arg(state_->Protocol.UnicastPort));
        return kExitEnvironment;
    }
    return kExitEnvironment;
}

void CtlSession::LookAtBoxes(std::function<void(const ScriptPrompts::Box&)> look) {
    look_ = std::move(look);
}

int CtlSession::Discover(int milliseconds) {
    if (!core_.Discovery()) {
        Say(texts::kNoInterface);
        return kExitEnvironment;
    }
    RunUntilFinished(milliseconds);
    return kExitDone;
}

std::optional<int> CtlSession::FindDiscovered(const DeviceArgument& device) {
    const ListViewModel& list = core_.DiscoveryList();
    if (device.kind == DeviceArgument::Kind::Mac) {
        return list.FindRow(kDiscoveryMacColumn, QString::fromLatin1(device.macText));
    }
    const std::string ip = AddressText(device.ip);
    return list.FindRow(kDiscoveryIpColumn, QString::fromLatin1(ip));
}

const DeviceRecord* CtlSession::DiscoveredRecord(int row) {
    const ListViewModel& list = core_.DiscoveryList();
    const std::string mac = list.Text(row, kDiscoveryMacColumn).toLatin1().toStdString();
    const std::optional<int> slot =
        FindDiscoveryByMac(state_->DiscoveryTable, list.RowCount(), mac);
    return slot ? &state_->DiscoveryTable[static_cast<std::size_t>(*slot)] : nullptr;
}

void CtlSession::SelectDiscovered(int row) {
    core_.MonitorSelection().DeselectAll();
    core_.DiscoverySelection().DeselectAll();
    core_.DiscoverySelection().SelectRow(row);
}

bool CtlSession::RunUntilFinished(int milliseconds) {
    if (std::exchange(finished_, false)) {
        return true; // finished while the command was still setting out
    }
    QEventLoop loop;
    running_ = &loop;
    QTimer limit;
    limit.setSingleShot(true);
    // A coarse timer may end up to 5 % early: a discovery's wait is the operator's figure.
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (milliseconds >= 0) {
        limit.start(milliseconds);
    }
    loop.exec();
    running_ = nullptr;
    return std::exchange(finished_, false);
}

void CtlSession::Finish() {
    finished_ = true;
    if (running_ != nullptr) {
        running_->quit();
    }
}

} // namespace fenwick::ctl
