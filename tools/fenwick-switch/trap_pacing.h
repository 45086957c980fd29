// When each trap of a storm falls due. Trap k (from 0) is due k / rate seconds after one fixed
// start, so a late wake-up is made up at the next one instead of shifting every later trap.
#pragma once

#include <chrono>
#include <cstdint>

namespace fenwick::sim {

using SteadyTime = std::chrono::steady_clock::time_point;

inline constexpr std::uint32_t kMaxTrapRate = 1'000'000; // traps per second
inline constexpr std::uint32_t kMaxStormSeconds = 3600;

class TrapPacing {
public:
    // `ratePerSecond` 1..kMaxTrapRate and `seconds` 1..kMaxStormSeconds (callers check), so that
    // every product below fits 63 bits.
    TrapPacing(std::uint32_t ratePerSecond, std::uint32_t seconds, SteadyTime start)
        : rate_(ratePerSecond), seconds_(seconds), start_(start) {}

    std::uint32_t Rate() const { return rate_; }
    std::uint32_t Seconds() const { return seconds_; }
    SteadyTime Start() const { return start_; }
    std::uint64_t Total() const { return std::uint64_t{rate_} * seconds_; }

    // How many traps have fallen due by `now`: the first one at the start, none before it, never
    // more than Total().
    std::uint64_t DueBy(SteadyTime now) const;

    // The first moment at which trap `index` (from 0) is due.
    SteadyTime DueTime(std::uint64_t index) const;

private:
    std::uint32_t rate_;
    std::uint32_t seconds_;
    SteadyTime start_;
};

} // namespace fenwick::sim
