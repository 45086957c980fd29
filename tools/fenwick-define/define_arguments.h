// Command line of fenwick-define: [--force] KEY PORT FILE, or --help, or --version.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace fenwick {

struct DefineArguments {
    // --help or --version alone: print it and write nothing.
    bool help = false;
    bool version = false;
    bool force = false;
    std::uint32_t agentKey = 0;
    std::uint16_t basePort = 0;
    std::string path;
};

// KEY is exactly 8 hexadecimal digits; PORT is decimal, or hexadecimal after 0x, up to 65535.
// Returns nothing when the arguments do not fit, with the reason in `error`.
std::optional<DefineArguments> ParseDefineArguments(std::span<const std::string_view> arguments,
                                                    std::string& error);

} // namespace fenwick
