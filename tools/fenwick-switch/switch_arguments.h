// The command line of fenwick-switch; see kSwitchUsage.
#pragma once

#include "settings_generator.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace fenwick::sim {

inline constexpr const char* kSwitchUsage =
    "usage:\n"
    "  fenwick-switch --config FILE [--control PATH] [--interface NAME [--prefix-length N]]\n"
    "                 [--ready-fd FD] [--verbose]\n"
    "      run the switches of FILE; --control opens the control channel at PATH;\n"
    "      --interface lets a switch whose address is set anew move to it on NAME (/N, 16 by\n"
    "      default); --ready-fd writes \"ready\" to FD once the switches listen\n"
    "  fenwick-switch --generate N [--agent-key HEX] [--base-port PORT] [--first-ip A]\n"
    "                 [--mask M] [--trap-receiver A] [--loader K] [--foreign K]\n"
    "      print a settings file for N switches (switch K in loader mode, or speaking\n"
    "      protocol version 3)\n"
    "  fenwick-switch --config FILE --print agent-key|base-port|addresses\n"
    "      print one value of FILE (addresses: one a line)\n"
    "  fenwick-switch --control PATH COMMAND [WORD...]\n"
    "      send a command to running switches (try: help)\n";

struct RunArguments {
    std::string configPath;
    std::string controlPath;
    std::string interface;
    int prefixLength = 16;
    int readyFd = -1;
    bool verbose = false;
};

struct GenerateArguments {
    GeneratorOptions options;
};

struct PrintArguments {
    std::string configPath;
    std::string what;
};

struct ControlArguments {
    std::string controlPath;
    std::string command; // the words joined by single blanks
};

using SwitchArguments =
    std::variant<RunArguments, GenerateArguments, PrintArguments, ControlArguments>;

// Returns nothing when the arguments do not fit, with the reason in `error`.
std::optional<SwitchArguments> ParseSwitchArguments(std::span<const std::string_view> arguments,
                                                    std::string& error);

} // namespace fenwick::sim
