#include "trap_pacing.h"

#include <algorithm>

namespace fenwick::sim {
namespace {

inline constexpr std::uint64_t kNanosPerSecond = 1'000'000'000;

} // namespace

std::uint64_t TrapPacing::DueBy(SteadyTime now) const {
    if (now < start_) {
        return 0;
    }
    const auto elapsed = static_cast<std::uint64_t>(std::chrono::nanoseconds(now - start_).count());
    // Whole seconds and the rest apart: elapsed × rate itself could pass 64 bits.
    const std::uint64_t whole = elapsed / kNanosPerSecond;
    const std::uint64_t rest = elapsed % kNanosPerSecond;
    if (whole >= seconds_) {
        return Total();
    }
    const std::uint64_t due = whole * rate_ + rest * rate_ / kNanosPerSecond + 1;
    return std::min(due, Total());
}

SteadyTime TrapPacing::DueTime(std::uint64_t index) const {
    // Rounded up, so that DueBy(DueTime(k)) counts trap k and one nanosecond earlier does not.
    const std::uint64_t nanos = (index * kNanosPerSecond + rate_ - 1) / rate_;
    return start_ + std::chrono::nanoseconds(static_cast<std::int64_t>(nanos));
}

} // namespace fenwick::sim
