// The program's count of stored traps (TrapCount in its state), read where the state keeps one
// and reported as not available where it does not, so that the benchmark builds and runs on
// either side of trap reception.
#pragma once

#include <cstdint>
#include <optional>

namespace fenwick::bench {

// The trap table keeps the 1499 most recent traps.
inline constexpr std::int64_t kFullTrapTable = 1499;

template <typename State> std::optional<std::int64_t> StoredTrapCount(const State& state) {
    if constexpr (requires { state.TrapCount; }) {
        return static_cast<std::int64_t>(state.TrapCount);
    } else {
        return std::nullopt;
    }
}

} // namespace fenwick::bench
