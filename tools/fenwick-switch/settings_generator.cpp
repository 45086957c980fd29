#include "settings_generator.h"

#include "codec/text_forms.h"

namespace fenwick::sim {
namespace {

inline constexpr std::uint16_t kForeignProtocolVersion = 3;

std::uint32_t NextHostAddress(std::uint32_t address) {
    do {
        ++address;
    } while ((address & 0xFF) == 0 || (address & 0xFF) == 0xFF);
    return address;
}

} // namespace

std::optional<NetworkSettings> GenerateSettings(const GeneratorOptions& options,
                                                std::string& error) {
    if (options.loaderSwitch > options.count || options.foreignSwitch > options.count) {
        error = "the loader and foreign switch numbers must be between 1 and the switch count";
        return std::nullopt;
    }
    NetworkSettings settings;
    settings.agentKey = options.agentKey;
    settings.basePort = options.basePort;
    const std::uint32_t network = options.firstIp & options.subnetMask;
    std::uint32_t ip = options.firstIp;
    if ((ip & 0xFF) == 0 || (ip & 0xFF) == 0xFF) {
        ip = NextHostAddress(ip);
    }
    for (std::size_t k = 1; k <= options.count; ++k, ip = NextHostAddress(ip)) {
        if ((ip & options.subnetMask) != network || (ip | options.subnetMask) == 0xFFFFFFFF) {
            error = std::to_string(options.count) + " switches do not fit in the subnet of " +
                    AddressText(options.firstIp);
            return std::nullopt;
        }
        SwitchSettings sw;
        sw.ip = ip;
        sw.mac = {0x02,
                  0x00,
                  static_cast<std::uint8_t>(ip >> 24),
                  static_cast<std::uint8_t>(ip >> 16),
                  static_cast<std::uint8_t>(ip >> 8),
                  static_cast<std::uint8_t>(ip)};
        sw.product = "Fenwick Lab Switch";
        sw.systemName = "sw-" + std::to_string(k);
        sw.location = "lab";
        sw.password = "admin";
        sw.subnetMask = options.subnetMask;
        sw.trapReceiver = options.trapReceiver;
        sw.loader = k == options.loaderSwitch;
        if (k == options.foreignSwitch) {
            sw.protocolVersion = kForeignProtocolVersion;
        }
        settings.switches.push_back(sw);
    }
    return settings;
}

} // namespace fenwick::sim
