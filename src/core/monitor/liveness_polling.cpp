#include "liveness_polling.h"

#include "codec/device_tables.h"
#include "codec/packet_header.h"
#include "core/lists/monitor_list_service.h"
#include "core/monitor/event_log.h"
#include "core/monitor/monitor_texts.h"
#include "core/monitor/request_accounting.h"
#include "core/protocol/protocol_sockets.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

namespace fenwick {

LivenessPolling::LivenessPolling(ProgramState& state, UnstackedBoxes& boxes, Timers& timers,
                                 const Clock& clock, ProtocolSockets& sockets,
                                 MonitorListService& monitor, EventLog& log,
                                 QString applicationName)
    : state_(state), boxes_(boxes), clock_(clock), sockets_(sockets), monitor_(monitor), log_(log),
      applicationName_(std::move(applicationName)),
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
    // or even end the program. Every entry with a row is visited: one with address 0 (from a
    // file, or a device that reported 0.0.0.0) has nowhere to be polled, but the devices after
    // it are polled all the same.
    for (int i = 0; i < monitor_.Count() && running_; ++i) {
        const std::uint32_t address = state_.MonitorTable[static_cast<std::size_t>(i)].IpAddress;
        if (address == 0) {
            continue;
        }
        MarkRequestSent(state_.MonitorTable, i);
        if (const int error = SendPoll(address); error != 0) {
            boxes_.Show(QString(texts::kPollingError).arg(error), applicationName_,
                        UserPrompts::Icon::Warning);
        }
    }
    if (running_) {
        const int seconds =
            IsRefreshChoice(state_.RefreshSeconds) ? state_.RefreshSeconds : kInitialRefreshSeconds;
        cycleWait_->Start(seconds * 1000);
    }
}

void LivenessPolling::Tick() {
    // A box of this tick keeps the event loop running, but the event loop never fires a timer
    // again while that timer's callback runs. Started afresh, the tick is a new timer, and the
    // ticks that fall due under the box run inside it, each over the whole list. Once such a
    // later tick has run, this one has nothing left to do that would not come late or twice.
    tick_->Start(kTickMilliseconds);
    const std::uint64_t tick = ++ticksBegun_;
    const Timestamp timestamp = FormatTimestamp(clock_);
    for (int i = 0; i < monitor_.Count() && running_ && ticksBegun_ == tick; ++i) {
        const DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(i)];
        if (FieldText(entry.IpText).empty() || entry.Answered != kNotAnswered ||
            entry.MissCount == 0) {
            continue;
        }
        if (entry.MissCount >= kDeadMissCount) {
            DeclareNotAlive(i, timestamp);
        } else if (entry.StatusImage != kStatusImageNotAlive) {
            MarkRequestSent(state_.MonitorTable, i);
            if (SendPoll(entry.IpAddress) != 0) {
                boxes_.Show(texts::kResendFail, texts::kCaptionWarnibg, UserPrompts::Icon::Warning);
            }
        }
    }
}

std::optional<int> LivenessPolling::FindJudgedEntry(int index, const DeviceRecord& judged) const {
    const auto same = [&](int slot) {
        const DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(slot)];
        return FieldText(entry.IpText) == FieldText(judged.IpText) &&
               FieldText(entry.MacText) == FieldText(judged.MacText);
    };
    const int count = monitor_.Count();
    if (index < count && same(index)) {
        return index;
    }
    // Entries only ever move down, when one before them is deleted.
    for (int slot = std::min(index, count) - 1; slot >= 0; --slot) {
        if (same(slot)) {
            return slot;
        }
    }
    return std::nullopt;
}

void LivenessPolling::DeclareNotAlive(int index, const Timestamp& timestamp) {
    const DeviceRecord judged = state_.MonitorTable[static_cast<std::size_t>(index)];
    log_.AppendNotAlive(timestamp, FieldText(judged.IpText));
    // A failed append has shown a box, during which the list may have changed and the device
    // may have answered: the verdict goes to the entry it was made for, wherever that stands
    // now, and only while it is still silent.
    const std::optional<int> now = FindJudgedEntry(index, judged);
    if (!now) {
        return;
    }
    DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(*now)];
    if (entry.Answered != kNotAnswered || entry.MissCount < kDeadMissCount) {
        return;
    }
    entry.ListState = kListStateNotAlive;
    entry.StatusImage = kStatusImageNotAlive;
    monitor_.ShowMonitorRow(*now);
}

} // namespace fenwick
