#include "trap_traffic.h"

#include "codec/text_forms.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace fenwick::sim {
namespace {

double Milliseconds(std::chrono::nanoseconds span) {
    return static_cast<double>(span.count()) / 1e6;
}

} // namespace

std::string NumberedTrapText(std::string_view prefix, std::uint64_t sequence,
                             std::uint32_t source) {
    char number[24];
    std::snprintf(number, sizeof number, "%06" PRIu64, sequence);
    std::string text(prefix);
    if (!text.empty()) {
        text += ' ';
    }
    return text + number + " from " + AddressText(source);
}

std::string TrapRefusal(const SwitchSettings& settings) {
    if (settings.silent) {
        return "switch " + AddressText(settings.ip) + " is silent";
    }
    if (settings.restarting) {
        return "switch " + AddressText(settings.ip) + " is restarting";
    }
    if (settings.trapReceiver == 0) {
        return "switch " + AddressText(settings.ip) + " has no trap receiver";
    }
    return {};
}

OutgoingDatagram TrapDatagram(const Agent& agent, std::string_view text, std::uint16_t port) {
    return {agent.Settings().ip, agent.Settings().trapReceiver, port, agent.BuildTrap(text)};
}

std::string TrapTraffic::StartStorm(const StormPlan& plan, const SwitchSet& switches) {
    if (StormRunning()) {
        return "a storm is running; trap-stop ends it";
    }
    const bool anyCanSend =
        std::any_of(switches.Agents().begin(), switches.Agents().end(),
                    [](const Agent& agent) { return TrapRefusal(agent.Settings()).empty(); });
    if (!anyCanSend) {
        return "no switch can send traps (all silent or without trap receiver)";
    }
    const SteadyTime now = clock_();
    // As if a round had passed a tick ago: the first trap leaves at once.
    storm_.emplace(plan, TrapPacing(plan.rate, plan.seconds, now), now - kStormTick);
    return {};
}

bool TrapTraffic::StopStorm() {
    if (!StormRunning()) {
        return false;
    }
    storm_->state = State::Stopped;
    return true;
}

std::vector<OutgoingDatagram> TrapTraffic::TakeDueTraps(const SwitchSet& switches,
                                                        std::size_t limit) {
    std::vector<OutgoingDatagram> traps;
    if (!StormRunning()) {
        return traps;
    }
    Storm& storm = *storm_;
    const SteadyTime now = clock_();
    const std::uint64_t due = storm.pacing.DueBy(now);
    if (due > storm.taken) {
        storm.worstLateness = std::max(
            storm.worstLateness, std::chrono::nanoseconds(now - storm.pacing.DueTime(storm.taken)));
        storm.lastRound = now;
    }
    const std::vector<Agent>& agents = switches.Agents();
    while (storm.taken < due && traps.size() < limit) {
        // The next switch in turn that can send, starting at the cursor.
        std::size_t tried = 0;
        while (tried < agents.size() &&
               !TrapRefusal(agents[(storm.cursor + tried) % agents.size()].Settings()).empty()) {
            ++tried;
        }
        if (tried == agents.size()) {
            storm.state = State::NoSender;
            return traps;
        }
        const Agent& agent = agents[(storm.cursor + tried) % agents.size()];
        storm.cursor = (storm.cursor + tried + 1) % agents.size();
        ++storm.taken;
        traps.push_back(
            TrapDatagram(agent, NumberedTrapText(storm.plan.text, storm.taken, agent.Settings().ip),
                         switches.BasePort()));
    }
    if (storm.taken == storm.pacing.Total()) {
        storm.state = State::Finished;
    }
    return traps;
}

std::optional<SteadyTime> TrapTraffic::NextWake() const {
    if (!StormRunning()) {
        return std::nullopt;
    }
    const SteadyTime due = storm_->pacing.DueTime(storm_->taken);
    // Due already at the last round, but left for the round limit: at once.
    if (due <= storm_->lastRound) {
        return due;
    }
    return std::max(due, storm_->lastRound + kStormTick);
}

std::vector<OutgoingDatagram> TrapTraffic::Burst(const SwitchSet& switches, std::string_view text) {
    std::vector<OutgoingDatagram> traps;
    for (const Agent& agent : switches.Agents()) {
        if (TrapRefusal(agent.Settings()).empty()) {
            traps.push_back(
                TrapDatagram(agent, NumberedTrapText(text, traps.size() + 1, agent.Settings().ip),
                             switches.BasePort()));
        }
    }
    return traps;
}

void TrapTraffic::CountTraps(std::size_t attempted, std::size_t failed) {
    sent_ += attempted - failed;
    failed_ += failed;
}

void TrapTraffic::CountStormTraps(std::size_t attempted, std::size_t failed) {
    CountTraps(attempted, failed);
    if (storm_) {
        storm_->sent += attempted - failed;
        storm_->failed += failed;
    }
}

std::string TrapTraffic::StatsText() const {
    std::string text =
        "traps sent " + std::to_string(sent_) + "\ntraps failed " + std::to_string(failed_);
    if (!storm_) {
        return text + "\nstorm none";
    }
    const Storm& storm = *storm_;
    const bool running = storm.state == State::Running;
    const char* state = running                          ? "running"
                        : storm.state == State::Finished ? "finished"
                        : storm.state == State::Stopped  ? "stopped"
                                                         : "ended";
    // Running: the time so far; otherwise up to the last round of traps.
    const SteadyTime until = running ? clock_() : storm.lastRound;
    char figures[160];
    std::snprintf(figures, sizeof figures, " elapsed-ms %.3f late-max-ms %.3f",
                  Milliseconds(std::max(until - storm.pacing.Start(), SteadyTime::duration{0})),
                  Milliseconds(storm.worstLateness));
    text += "\nstorm " + std::string(state) + " rate " + std::to_string(storm.plan.rate) +
            " seconds " + std::to_string(storm.plan.seconds) + " planned " +
            std::to_string(storm.pacing.Total()) + " taken " + std::to_string(storm.taken) +
            " sent " + std::to_string(storm.sent) + " failed " + std::to_string(storm.failed) +
            figures;
    if (storm.state == State::NoSender) {
        text += "\nending: no switch could send traps any more";
    }
    return text;
}

} // namespace fenwick::sim
