// A ManagerCore with monitored devices on the manual clock: agents that answer polls as told,
// traps, and the event log as bytes.
#pragma once

#include "codec/byte_order.h"
#include "codec/packet_header.h"
#include "monitor_list_fixture.h"

#include <QFile>
#include <functional>
#include <string>

namespace fenwick::testing {

// The manual clock's start, as the log writes it.
inline constexpr const char* kStartStamp = "01/05/2004 09:30:00";

// A trap datagram from `agent` whose body carries `bodyIp` and `text`, with or without the
// zero byte after it.
inline Bytes TrapDatagram(const AgentReply& agent, std::uint32_t bodyIp, const std::string& text,
                          bool terminated = true) {
    AgentReply trap = agent;
    trap.code = kCommandTrap;
    Bytes bytes = trap.Datagram();
    bytes.resize(kHeaderLength);
    const std::size_t at = bytes.size();
    bytes.resize(at + 4);
    StoreBe32(&bytes[at], bodyIp);
    bytes.insert(bytes.end(), text.begin(), text.end());
    if (terminated) {
        bytes.push_back(0);
    }
    return bytes;
}

class MonitoringFixture : public MonitorListFixture {
protected:
    // Which polls an agent answers: agent number and the time the poll was sent.
    using Answers = std::function<bool(int agent, std::int64_t sentAt)>;

    struct Poll {
        std::int64_t at;
        std::uint32_t address;
    };

    QString LogPath() const { return Folder() + QStringLiteral("/syslog.log"); }

    // The event log's bytes; empty when there is none.
    std::string LogBytes() const {
        QFile file(LogPath());
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return file.readAll().toStdString();
    }

    // The timestamp the log writes `ms` after the clock's start, formatted here by Qt.
    std::string Stamp(std::int64_t ms) const {
        return clock.Start()
            .addMSecs(ms)
            .toString(QStringLiteral("MM/dd/yyyy hh:mm:ss"))
            .toStdString();
    }

    // Advances the clock to `until` (milliseconds since it started), one timer at a time. After
    // each, the agents answer the polls just sent to them as `answers` says, as they would
    // within milliseconds, and then `afterEach` runs. Every poll is noted in `polls`.
    void RunUntil(std::int64_t until, const Answers& answers = {},
                  const std::function<void()>& afterEach = {}) {
        bool fired = true;
        while (fired) {
            fired = clock.FireNext(until);
            for (; seen_ < network.sent.size(); ++seen_) {
                const MemoryNetwork::Sent& sent = network.sent[seen_];
                if (DecodeHeader(sent.bytes).CommandCode != kCommandPoll) {
                    continue;
                }
                polls.push_back({clock.Now(), sent.address});
                const int agent = static_cast<int>(sent.address - AgentReply::Numbered(0).ip);
                if (answers && answers(agent, clock.Now())) {
                    Receive(AgentReply::Numbered(agent), kTestBasePort + 1);
                }
            }
            if (afterEach) {
                afterEach();
            }
        }
    }

    // The times of the polls sent to agent `n`.
    std::vector<std::int64_t> PollTimes(int n) const {
        std::vector<std::int64_t> times;
        for (const Poll& poll : polls) {
            if (poll.address == AgentReply::Numbered(n).ip) {
                times.push_back(poll.at);
            }
        }
        return times;
    }

    // Puts a device straight into the next MonitorTable slot, waiting for its first answer, as
    // adding a device by its address does.
    void MonitorWaiting(int n) {
        DeviceRecord record = StoredRecordOf(AgentReply::Numbered(n));
        record.ListState = kListStateNoRow;
        record.Answered = 0;
        record.MissCount = 0;
        const int slot = core->MonitorList().RowCount();
        state->MonitorTable[static_cast<std::size_t>(slot)] = record;
        core->ShowMonitorRow(slot);
    }

    void ReceiveTrap(const Bytes& datagram, std::uint32_t source = AgentReply::Numbered(1).ip) {
        ASSERT_TRUE(network.Deliver(kTestBasePort + 1, datagram, source));
    }

    const DeviceRecord& Entry(int slot) const {
        return state->MonitorTable[static_cast<std::size_t>(slot)];
    }

    std::vector<Poll> polls;

private:
    std::size_t seen_ = 0;
};

} // namespace fenwick::testing
