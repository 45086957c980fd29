#include "storm_figures.h"

#include <charconv>
#include <sstream>

namespace fenwick::bench {
namespace {

// Leaves `out` as it was when `text` is not a number.
template <typename T> void ReadNumber(const std::string& text, T& out) {
    T value{};
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status == std::errc{} && end == text.data() + text.size()) {
        out = value;
    }
}

} // namespace

std::optional<StormFigures> ParseStormFigures(const std::string& stats) {
    std::istringstream lines(stats);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first;
        StormFigures figures;
        if (!(words >> first >> figures.state) || first != "storm" || figures.state == "none") {
            continue;
        }
        std::string key;
        std::string value;
        while (words >> key >> value) {
            if (key == "planned") {
                ReadNumber(value, figures.planned);
            } else if (key == "sent") {
                ReadNumber(value, figures.sent);
            } else if (key == "failed") {
                ReadNumber(value, figures.failed);
            } else if (key == "elapsed-ms") {
                ReadNumber(value, figures.elapsedMs);
            } else if (key == "late-max-ms") {
                ReadNumber(value, figures.lateMaxMs);
            }
        }
        return figures;
    }
    return std::nullopt;
}

} // namespace fenwick::bench
