#include "liveness_polling.h"

#include "codec/device_tables.h"
#include "codec/packet_header.h"
#include "core/lists/monitor_list.h"
#include "core/monitor/event_log.h"
#include "core/monitor/request_accounting.h"
#include "core/protocol/protocol_sockets.h"

#include <array>
#include <cerrno>
#include <string>

namespace fenwick {
namespace {

constexpr int kSlots = static_cast<int>(kDeviceTableSlots);

} // namespace

LivenessPolling::LivenessPolling(ProgramState& state, UserPrompts& prompts, Timers& timers,
                                 ProtocolSockets& sockets, MonitorListService& monitor,
                                 EventLog& log)
    : state_(state), prompts_(prompts), sockets_(sockets), monitor_(monitor), log_(log),
      cycleWait_(timers.Create(Timers::Kind::SingleShot, [this] { PollCycle(); })),
      tick_(timers.Create(Timers::Kind::Periodic, [this] { Tick(); })) {}

bool LivenessPolling::IsRefreshChoice(int seconds) {
    return seconds == 15 || seconds == 30 || seconds == 60 || seconds == 120 || seconds == 300;
}

void LivenessPolling::SetRefreshSeconds(int seconds) {
    if (IsRefreshChoice(seconds)) {
        state_.RefreshSeconds = seconds;
    }
}

void LivenessPolling::Start() {
    running_ = true;
    // The first cycle runs as soon as the event loop takes over from the start-up, so that its
    // boxes, if any, come with the window shown.
    cycleWait_->Start(0);
    tick_->Start(kTickMilliseconds);
}

void LivenessPolling::Stop() {
    running_ = false;
    cycleWait_->Stop();
    tick_->Stop();
}

int LivenessPolling::SendPoll(std::uint32_t address) {
    std::array<std::uint8_t, kHeaderLength> request{};
    BuildRequestHeader(kCommandPoll, state_.Protocol.AgentKey, request);
    DatagramSocket* socket = sockets_.UnicastSocket();
    if (socket == nullptr) {
        return EBADF; // what sending on a socket that was never opened gives
    }
    return socket->SendTo(request, address, state_.Protocol.AgentPort);
}

void LivenessPolling::PollCycle() {
    // The table is read slot by slot afresh: a box below lets the operator change it meanwhile,
    // or even end the program.
    for (int i = 0; i < kSlots && running_; ++i) {
        const std::uint32_t address = state_.MonitorTable[static_cast<std::size_t>(i)].IpAddress;
        if (address == 0) {
            break;
        }
        MarkRequestSent(state_.MonitorTable, i);
        if (const int error = SendPoll(address); error != 0) {
            prompts_.MessageBox(QStringLiteral("polling error %1").arg(error),
                                QString::fromLatin1(kApplicationName), UserPrompts::Icon::Warning);
        }
    }
    if (running_) {
        const int seconds =
            IsRefreshChoice(state_.RefreshSeconds) ? state_.RefreshSeconds : kInitialRefreshSeconds;
        cycleWait_->Start(seconds * 1000);
    }
}

void LivenessPolling::Tick() {
    // A tick waits while one of its boxes is open; ticks meanwhile are left out, so that boxes
    // the operator has not answered cannot pile up one upon another without end.
    if (ticking_) {
        return;
    }
    ticking_ = true;
    const Timestamp timestamp = FormatTimestamp(log_.TimeSource());
    for (int i = 0; i < kSlots && running_; ++i) {
        const DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(i)];
        if (FieldText(entry.IpText).empty()) {
            break;
        }
        if (entry.Answered != 0 || entry.MissCount == 0) {
            continue;
        }
        if (entry.MissCount >= kDeadMissCount) {
            DeclareNotAlive(i, timestamp);
        } else if (entry.StatusImage != 1) {
            MarkRequestSent(state_.MonitorTable, i);
            if (SendPoll(entry.IpAddress) != 0) {
                prompts_.MessageBox(QStringLiteral("Resend fail"), QStringLiteral("Warnibg"),
                                    UserPrompts::Icon::Warning);
            }
        }
    }
    ticking_ = false;
}

void LivenessPolling::DeclareNotAlive(int index, const Timestamp& timestamp) {
    const std::string ipText(
        FieldText(state_.MonitorTable[static_cast<std::size_t>(index)].IpText));
    log_.AppendNotAlive(timestamp, ipText);
    // A failed append has shown a box, during which the list may have changed: the verdict
    // goes to the device it was made for, wherever it stands now.
    bool found = false;
    index = FindMonitorByIp(state_.MonitorTable, monitor_.Count(), ipText, found);
    if (!found) {
        return;
    }
    DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(index)];
    entry.ListState = kListStateNotAlive;
    entry.StatusImage = 1;
    monitor_.ShowMonitorRow(index);
}

} // namespace fenwick
