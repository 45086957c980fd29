// The storm figures that the lab switches' "stats" command reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fenwick::bench {

// "storm STATE rate R seconds S planned N taken N sent N failed N elapsed-ms T late-max-ms L".
struct StormFigures {
    std::string state; // running, finished, stopped, ended
    std::uint64_t planned = 0;
    std::uint64_t sent = 0;
    std::uint64_t failed = 0;
    double elapsedMs = 0;
    double lateMaxMs = 0;
};

// The storm line of a stats answer; nothing when there is none.
std::optional<StormFigures> ParseStormFigures(const std::string& stats);

} // namespace fenwick::bench
