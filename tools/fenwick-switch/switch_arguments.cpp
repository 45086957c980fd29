#include "switch_arguments.h"

#include "value_text.h"

#include <algorithm>
#include <climits>
#include <map>

namespace fenwick::sim {
namespace {

// Options with a value, as given; a name may appear once.
using Options = std::map<std::string_view, std::string_view>;

// Reads "--name value" pairs and bare flags up to the first word that is not an option.
bool ReadOptions(std::span<const std::string_view>& arguments, Options& options, bool& verbose,
                 std::string& error) {
    while (!arguments.empty() && arguments.front().starts_with("--")) {
        const std::string_view name = arguments.front();
        arguments = arguments.subspan(1);
        if (name == "--verbose") {
            verbose = true;
            continue;
        }
        if (arguments.empty()) {
            error = std::string(name) + " needs a value";
            return false;
        }
        if (!options.emplace(name, arguments.front()).second) {
            error = std::string(name) + " given twice";
            return false;
        }
        arguments = arguments.subspan(1);
    }
    return true;
}

bool OnlyKnown(const Options& options, std::initializer_list<std::string_view> known,
               std::string& error) {
    for (const auto& [name, value] : options) {
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            error = "unexpected " + std::string(name);
            return false;
        }
    }
    return true;
}

template <typename T>
bool TakeNumber(const Options& options, std::string_view name, std::uint32_t max, T& field,
                std::string& error) {
    const auto found = options.find(name);
    if (found == options.end()) {
        return true;
    }
    const auto value = ParseNumber(found->second, max);
    if (!value) {
        error = std::string(name) + " expects a number to " + std::to_string(max);
        return false;
    }
    field = static_cast<T>(*value);
    return true;
}

bool TakeAddress(const Options& options, std::string_view name, std::uint32_t& field,
                 std::string& error) {
    const auto found = options.find(name);
    if (found == options.end()) {
        return true;
    }
    const auto value = ParseAddress(found->second);
    if (!value) {
        error = std::string(name) + " expects a dotted decimal address";
        return false;
    }
    field = *value;
    return true;
}

std::optional<SwitchArguments> Generate(const Options& options, std::string& error) {
    if (!OnlyKnown(options,
                   {"--generate", "--agent-key", "--base-port", "--first-ip", "--mask",
                    "--trap-receiver", "--loader", "--foreign"},
                   error)) {
        return std::nullopt;
    }
    GenerateArguments result;
    GeneratorOptions& o = result.options;
    if (const auto key = options.find("--agent-key"); key != options.end()) {
        const auto value = ParseAgentKey(key->second);
        if (!value) {
            error = "--agent-key expects 8 hexadecimal digits";
            return std::nullopt;
        }
        o.agentKey = *value;
    }
    // Up to a /16 of switches; more would not be a lab.
    const bool fits = TakeNumber(options, "--generate", 65534, o.count, error) &&
                      TakeNumber(options, "--base-port", 0xFFFF, o.basePort, error) &&
                      TakeAddress(options, "--first-ip", o.firstIp, error) &&
                      TakeAddress(options, "--mask", o.subnetMask, error) &&
                      TakeAddress(options, "--trap-receiver", o.trapReceiver, error) &&
                      TakeNumber(options, "--loader", 65534, o.loaderSwitch, error) &&
                      TakeNumber(options, "--foreign", 65534, o.foreignSwitch, error);
    if (!fits) {
        return std::nullopt;
    }
    return result;
}

std::optional<SwitchArguments> Run(const Options& options, bool verbose, std::string& error) {
    if (!OnlyKnown(options,
                   {"--config", "--control", "--interface", "--prefix-length", "--ready-fd"},
                   error)) {
        return std::nullopt;
    }
    RunArguments result;
    result.configPath = std::string(options.at("--config"));
    result.verbose = verbose;
    if (const auto found = options.find("--control"); found != options.end()) {
        result.controlPath = std::string(found->second);
    }
    if (const auto found = options.find("--interface"); found != options.end()) {
        result.interface = std::string(found->second);
    } else if (options.contains("--prefix-length")) {
        error = "--prefix-length goes with --interface";
        return std::nullopt;
    }
    if (!TakeNumber(options, "--prefix-length", 32, result.prefixLength, error) ||
        !TakeNumber(options, "--ready-fd", INT_MAX, result.readyFd, error)) {
        return std::nullopt;
    }
    return result;
}

} // namespace

std::optional<SwitchArguments> ParseSwitchArguments(std::span<const std::string_view> arguments,
                                                    std::string& error) {
    Options options;
    bool verbose = false;
    if (!ReadOptions(arguments, options, verbose, error)) {
        return std::nullopt;
    }
    const bool words = !arguments.empty();
    if (options.contains("--generate") && !words) {
        return Generate(options, error);
    }
    if (options.contains("--config") && options.contains("--print") && !words) {
        if (!OnlyKnown(options, {"--config", "--print"}, error)) {
            return std::nullopt;
        }
        const std::string_view what = options.at("--print");
        if (what != "agent-key" && what != "base-port" && what != "addresses") {
            error = "--print expects agent-key, base-port or addresses";
            return std::nullopt;
        }
        return PrintArguments{std::string(options.at("--config")), std::string(what)};
    }
    if (options.contains("--config") && !words) {
        return Run(options, verbose, error);
    }
    if (options.size() == 1 && options.contains("--control") && words && !verbose) {
        ControlArguments result{std::string(options.at("--control")), {}};
        for (const std::string_view word : arguments) {
            result.command += result.command.empty() ? "" : " ";
            result.command += word;
        }
        return result;
    }
    error = words ? "unexpected \"" + std::string(arguments.front()) + "\""
                  : "expected --config, --generate or --control";
    return std::nullopt;
}

} // namespace fenwick::sim
