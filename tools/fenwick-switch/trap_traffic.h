// Traps sent in numbers: a storm at a steady total rate for a given time, taken in turn from
// every switch that can send, and a burst of one trap from each switch at once. Every trap of
// a storm or burst carries a sequence number ("storm 000123 from 10.77.1.5") so that a receiver
// can tell which were lost. No sockets here: the runner sends what this hands out and says how
// that went; the clock is injected so that pacing is tested without waiting.
#pragma once

#include "outgoing_datagram.h"
#include "switch_set.h"
#include "trap_pacing.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fenwick::sim {

// Longest prefix text of a storm or burst; the sequence number and address follow it, and
// the whole stays within the 255 characters a manager keeps of an event text.
inline constexpr std::size_t kMaxStormText = 200;

// Shortest time between two rounds of storm traps: at high rates traps leave in small batches
// instead of one wake-up each, which keeps the switches' own CPU use low beside the program
// under test. Pacing stays anchored to the start (TrapPacing).
inline constexpr std::chrono::microseconds kStormTick{1000};

struct StormPlan {
    std::uint32_t rate = 0;    // traps per second, all switches together
    std::uint32_t seconds = 0; // duration
    std::string text;          // prefix of every event text
};

// The event text of trap `sequence` (from 1) of a storm or burst.
std::string NumberedTrapText(std::string_view prefix, std::uint64_t sequence, std::uint32_t source);

// Why a switch cannot send a trap now, or empty when it can.
std::string TrapRefusal(const SwitchSettings& settings);

// A trap with `text` from the switch to its trap receiver at `port`.
OutgoingDatagram TrapDatagram(const Agent& agent, std::string_view text, std::uint16_t port);

class TrapTraffic {
public:
    using Clock = std::function<SteadyTime()>;

    explicit TrapTraffic(Clock clock) : clock_(std::move(clock)) {}

    // Starts a storm now. Returns the reason when it cannot: one is running already, or no
    // switch can send traps.
    std::string StartStorm(const StormPlan& plan, const SwitchSet& switches);
    // Ends the running storm early; returns whether one was running.
    bool StopStorm();
    bool StormRunning() const { return storm_.has_value() && storm_->state == State::Running; }

    // The storm's traps that have fallen due and are not handed out yet, at most `limit`, each
    // from the next switch in turn that can send (a switch silenced meanwhile is passed over).
    // The storm ends when its last trap is handed out, or when no switch can send any more.
    std::vector<OutgoingDatagram> TakeDueTraps(const SwitchSet& switches, std::size_t limit);

    // When the runner should next call TakeDueTraps: when the next trap falls due, but not
    // sooner than kStormTick after the last round unless that round left due traps behind.
    // Nothing while no storm runs.
    std::optional<SteadyTime> NextWake() const;

    // One trap from every switch that can send, numbered from 1 in switch order.
    static std::vector<OutgoingDatagram> Burst(const SwitchSet& switches, std::string_view text);

    // What became of traps handed to the socket: `failed` of `attempted` could not be sent.
    // Storm traps also count towards the storm.
    void CountTraps(std::size_t attempted, std::size_t failed);
    void CountStormTraps(std::size_t attempted, std::size_t failed);

    // "traps sent N", "traps failed N" and a line on the running or last storm.
    std::string StatsText() const;

    std::uint64_t TrapsSent() const { return sent_; }
    std::uint64_t TrapsFailed() const { return failed_; }

private:
    enum class State { Running, Finished, Stopped, NoSender };

    struct Storm {
        Storm(StormPlan p, TrapPacing timing, SteadyTime round)
            : plan(std::move(p)), pacing(timing), lastRound(round) {}

        StormPlan plan;
        TrapPacing pacing;
        SteadyTime lastRound; // when traps were last taken
        State state = State::Running;
        std::uint64_t taken = 0;
        std::uint64_t sent = 0;
        std::uint64_t failed = 0;
        std::chrono::nanoseconds worstLateness{0};
        std::size_t cursor = 0; // the switch that sends the next trap, or the first after it
    };

    Clock clock_;
    std::optional<Storm> storm_; // the running storm, or the last one
    std::uint64_t sent_ = 0;
    std::uint64_t failed_ = 0;
};

} // namespace fenwick::sim
