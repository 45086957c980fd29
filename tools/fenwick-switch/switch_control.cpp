#include "switch_control.h"

#include "control_channel.h"

#include <cstdio>

namespace fenwick::sim {

std::optional<std::string> SwitchControl::Run(const std::string& command) const {
    std::string output;
    std::string error;
    if (SendControlCommand(path_, command, output, error) != 0) {
        std::fprintf(stderr, "switch control \"%s\": %s\n", command.c_str(), error.c_str());
        return std::nullopt;
    }
    return output;
}

} // namespace fenwick::sim
