#include "settings_file.h"

#include "codec/text_forms.h"
#include "packet_loss.h"
#include "value_text.h"

#include <set>

namespace fenwick::sim {
namespace {

bool SetText(std::string& field, std::string_view value, std::size_t max, std::string& error) {
    if (value.size() > max) {
        error = "text longer than " + std::to_string(max) + " characters";
        return false;
    }
    field = std::string(value);
    return true;
}

template <typename T>
bool SetNumber(T& field, std::optional<std::uint32_t> value, const char* what, std::string& error) {
    if (!value) {
        error = std::string("expected ") + what;
        return false;
    }
    field = static_cast<T>(*value);
    return true;
}

bool SetAddress(std::uint32_t& field, std::string_view value, std::string& error) {
    const auto address = ParseAddress(value);
    if (!address) {
        error = "expected a dotted decimal address";
        return false;
    }
    field = *address;
    return true;
}

bool SetSwitchFlag(bool& field, std::string_view value, std::string& error) {
    const auto on = ParseSwitch(value);
    if (!on) {
        error = "expected on or off";
        return false;
    }
    field = *on;
    return true;
}

// The keys of the firmware upgrade's TFTP server and restart.
bool ApplyUpgradeKey(SwitchSettings& sw, std::string_view key, std::string_view value,
                     std::string& error) {
    if (key == "tftp") {
        return SetSwitchFlag(sw.tftp, value, error);
    }
    if (key == "tftp-port") {
        const auto port = ParseTftpPort(value);
        if (!port) {
            error = "expected 69 or other";
            return false;
        }
        sw.tftpPort = *port;
        return true;
    }
    if (key == "tftp-error") {
        const auto answer = ParseTftpError(value);
        if (!answer) {
            error = "expected off, or a code to 65535 and a text of at most " +
                    std::to_string(kMaxTftpErrorText) + " characters";
            return false;
        }
        sw.tftpError = *answer;
        return true;
    }
    if (key == "loss") {
        return SetNumber(sw.lossPercent, ParseNumber(value, kMaxLossPercent), "a percentage",
                         error);
    }
    if (key == "loss-seed") {
        return SetNumber(sw.lossSeed, ParseNumber(value, 0xFFFFFFFF), "a number", error);
    }
    if (key == "restart-delay") {
        return SetNumber(sw.restartSeconds, ParseNumber(value, kMaxRestartSeconds),
                         "seconds to 3600", error);
    }
    error = "unknown key \"" + std::string(key) + "\"";
    return false;
}

bool ApplySwitchKey(SwitchSettings& sw, std::string_view key, std::string_view value,
                    std::string& error) {
    if (key == "ip") {
        return SetAddress(sw.ip, value, error);
    }
    if (key == "mac") {
        const auto mac = ParseMac(value);
        if (!mac) {
            error = "expected 12 hexadecimal digits";
            return false;
        }
        sw.mac = *mac;
        return true;
    }
    if (key == "product") {
        return SetText(sw.product, value, kMaxProductLength, error);
    }
    if (key == "name") {
        return SetText(sw.systemName, value, kMaxShortTextLength, error);
    }
    if (key == "location") {
        return SetText(sw.location, value, kMaxShortTextLength, error);
    }
    if (key == "password") {
        return SetText(sw.password, value, kMaxShortTextLength, error);
    }
    if (key == "mask") {
        return SetAddress(sw.subnetMask, value, error);
    }
    if (key == "gateway") {
        return SetAddress(sw.gateway, value, error);
    }
    if (key == "trap-receiver") {
        return SetAddress(sw.trapReceiver, value, error);
    }
    if (key == "protocol-version") {
        return SetNumber(sw.protocolVersion, ParseNumber(value, 0xFFFF), "a number to 65535",
                         error);
    }
    if (key == "interface-version") {
        return SetNumber(sw.interfaceVersion, ParseNumber(value, 0xFFFF), "a number to 65535",
                         error);
    }
    if (key == "silent") {
        return SetSwitchFlag(sw.silent, value, error);
    }
    if (key == "loader") {
        return SetSwitchFlag(sw.loader, value, error);
    }
    if (key == "error") {
        return SetNumber(sw.errorCode, ParseNumber(value, kMaxErrorCode), "a number to 15", error);
    }
    return ApplyUpgradeKey(sw, key, value, error);
}

bool ApplyNetworkKey(NetworkSettings& settings, std::string_view key, std::string_view value,
                     std::string& error) {
    if (key == "agent-key") {
        const auto agentKey = ParseAgentKey(value);
        if (!agentKey) {
            error = "expected 8 hexadecimal digits";
            return false;
        }
        settings.agentKey = *agentKey;
        return true;
    }
    if (key == "base-port") {
        return SetNumber(settings.basePort, ParseNumber(value, 0xFFFF), "a port number", error);
    }
    error = "unknown key \"" + std::string(key) + "\" (switch keys go after [switch])";
    return false;
}

// A switch needs an address and a MAC address; addresses must be unique, because requests
// find their switch by the address they were sent to.
bool CheckSwitches(const NetworkSettings& settings, std::string& error) {
    std::set<std::uint32_t> addresses;
    for (std::size_t i = 0; i < settings.switches.size(); ++i) {
        const SwitchSettings& sw = settings.switches[i];
        const std::string which = "switch " + std::to_string(i + 1);
        if (sw.ip == 0) {
            error = which + ": no ip";
            return false;
        }
        if (sw.mac == std::array<std::uint8_t, 6>{}) {
            error = which + ": no mac";
            return false;
        }
        if (!addresses.insert(sw.ip).second) {
            error = which + ": ip " + AddressText(sw.ip) + " is used twice";
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<NetworkSettings> ParseSettingsText(std::string_view text, std::string& error) {
    NetworkSettings settings;
    bool haveKey = false;
    bool havePort = false;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        line = Trim(line);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::string reason;
        if (line == "[switch]") {
            settings.switches.emplace_back();
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            reason = "expected \"key = value\" or [switch]";
        } else {
            const std::string_view key = Trim(line.substr(0, equals));
            const std::string_view value = Trim(line.substr(equals + 1));
            if (settings.switches.empty()) {
                haveKey = haveKey || key == "agent-key";
                havePort = havePort || key == "base-port";
                ApplyNetworkKey(settings, key, value, reason);
            } else {
                ApplySwitchKey(settings.switches.back(), key, value, reason);
            }
        }
        if (!reason.empty()) {
            error = "line " + std::to_string(lineNumber) + ": " + reason;
            return std::nullopt;
        }
    }
    if (!haveKey || !havePort) {
        error = "agent-key and base-port must come before the first [switch]";
        return std::nullopt;
    }
    if (!CheckSwitches(settings, error)) {
        return std::nullopt;
    }
    return settings;
}

std::string FormatSwitchBlock(const SwitchSettings& sw) {
    std::string out = "[switch]\n";
    const auto add = [&out](const char* key, const std::string& value) {
        out += key;
        out += " = ";
        out += value;
        out += '\n';
    };
    add("ip", AddressText(sw.ip));
    add("mac", MacText(sw.mac));
    add("product", Printable(sw.product));
    add("name", Printable(sw.systemName));
    add("location", Printable(sw.location));
    add("password", Printable(sw.password));
    add("mask", AddressText(sw.subnetMask));
    add("gateway", AddressText(sw.gateway));
    add("trap-receiver", AddressText(sw.trapReceiver));
    add("protocol-version", std::to_string(sw.protocolVersion));
    add("interface-version", std::to_string(sw.interfaceVersion));
    add("silent", SwitchText(sw.silent));
    add("loader", SwitchText(sw.loader));
    add("error", std::to_string(sw.errorCode));
    add("tftp", SwitchText(sw.tftp));
    add("tftp-port", TftpPortText(sw.tftpPort));
    add("tftp-error", TftpErrorText(sw.tftpError));
    add("loss", std::to_string(sw.lossPercent));
    add("loss-seed", std::to_string(sw.lossSeed));
    add("restart-delay", std::to_string(sw.restartSeconds));
    return out;
}

std::string FormatSettingsText(const NetworkSettings& settings) {
    std::string out = "# Simulated switches for fenwick-switch.\n";
    out += "agent-key = " + AgentKeyText(settings.agentKey) + "\n";
    out += "base-port = " + std::to_string(settings.basePort) + "\n";
    for (const SwitchSettings& sw : settings.switches) {
        out += '\n';
        out += FormatSwitchBlock(sw);
    }
    return out;
}

} // namespace fenwick::sim
