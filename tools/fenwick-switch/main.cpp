// fenwick-switch: many simulated switches in one process, for the lab and for tests. See
// README.md beside this file, or run it without arguments.
#include "codec/text_forms.h"
#include "control_channel.h"
#include "settings_file.h"
#include "switch_arguments.h"
#include "switch_runner.h"
#include "value_text.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace fenwick::sim {
namespace {

int Complain(const std::string& message) {
    std::fprintf(stderr, "fenwick-switch: %s\n", message.c_str());
    return 1;
}

std::optional<NetworkSettings> LoadSettings(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    auto settings = ParseSettingsText(text.str(), error);
    if (!settings) {
        error = path + ": " + error;
    }
    return settings;
}

int Generate(const GenerateArguments& arguments) {
    std::string error;
    const auto settings = GenerateSettings(arguments.options, error);
    if (!settings) {
        return Complain(error);
    }
    std::fputs(FormatSettingsText(*settings).c_str(), stdout);
    return 0;
}

int Print(const PrintArguments& arguments) {
    std::string error;
    const auto settings = LoadSettings(arguments.configPath, error);
    if (!settings) {
        return Complain(error);
    }
    if (arguments.what == "agent-key") {
        std::printf("%s\n", AgentKeyText(settings->agentKey).c_str());
    } else if (arguments.what == "base-port") {
        std::printf("%u\n", settings->basePort);
    } else {
        for (const SwitchSettings& sw : settings->switches) {
            std::printf("%s\n", AddressText(sw.ip).c_str());
        }
    }
    return 0;
}

int Control(const ControlArguments& arguments) {
    std::string output;
    std::string error;
    const int status = SendControlCommand(arguments.controlPath, arguments.command, output, error);
    std::fputs(output.c_str(), stdout);
    if (status != 0) {
        return Complain(error);
    }
    return 0;
}

// SIGINT and SIGTERM end the loop through a descriptor, so that the control socket file is
// removed on the way out.
UniqueFd BlockTerminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        return UniqueFd();
    }
    return UniqueFd(signalfd(-1, &signals, SFD_CLOEXEC));
}

int Run(const RunArguments& arguments) {
    std::string error;
    const auto settings = LoadSettings(arguments.configPath, error);
    if (!settings) {
        return Complain(error);
    }
    UniqueFd signals = BlockTerminationSignals();
    if (!signals) {
        return Complain("cannot watch for signals");
    }
    auto socket = AgentSocket::Open(settings->AgentPort(), error);
    if (!socket) {
        return Complain(error);
    }
    // Port 69 needs root, as the lab has; the transfer port is any the system gives.
    auto tftpServer = AgentSocket::Open(kTftpServerPort, error);
    if (!tftpServer) {
        return Complain("tftp: " + error);
    }
    auto tftpTransfer = AgentSocket::Open(0, error);
    if (!tftpTransfer) {
        return Complain("tftp: " + error);
    }
    std::optional<AddressAssigner> addresses;
    if (!arguments.interface.empty()) {
        addresses = AddressAssigner::Open(arguments.interface, arguments.prefixLength, error);
        if (!addresses) {
            return Complain(error);
        }
    }
    std::optional<ControlServer> control;
    if (!arguments.controlPath.empty()) {
        control = ControlServer::Open(arguments.controlPath, error);
        if (!control) {
            return Complain(error);
        }
    }
    std::fprintf(stderr,
                 "fenwick-switch: %zu switches on port %u, agent key %s; TFTP on port %u, "
                 "transfer port %u\n",
                 settings->switches.size(), settings->AgentPort(),
                 AgentKeyText(settings->agentKey).c_str(), kTftpServerPort,
                 tftpTransfer->LocalPort());
    if (arguments.readyFd >= 0) {
        const UniqueFd ready(arguments.readyFd);
        static constexpr char kReady[] = "ready\n";
        if (write(ready.Get(), kReady, sizeof kReady - 1) != sizeof kReady - 1) {
            return Complain("cannot write to --ready-fd " + std::to_string(arguments.readyFd));
        }
    }
    SwitchRunner runner(SwitchSet(*settings), std::move(*socket),
                        TftpSockets{std::move(*tftpServer), std::move(*tftpTransfer)},
                        std::move(control), std::move(addresses), std::move(signals),
                        arguments.verbose);
    return runner.Run();
}

} // namespace
} // namespace fenwick::sim

int main(int argc, char** argv) {
    using namespace fenwick::sim;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    std::string error;
    const auto parsed = ParseSwitchArguments(arguments, error);
    if (!parsed) {
        std::fprintf(stderr, "fenwick-switch: %s\n%s", error.c_str(), kSwitchUsage);
        return 2;
    }
    return std::visit(
        [](const auto& a) {
            using T = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<T, RunArguments>) {
                return Run(a);
            } else if constexpr (std::is_same_v<T, GenerateArguments>) {
                return Generate(a);
            } else if constexpr (std::is_same_v<T, PrintArguments>) {
                return Print(a);
            } else {
                return Control(a);
            }
        },
        *parsed);
}
