#include "control_commands.h"

#include "codec/text_forms.h"
#include "fnv1a.h"
#include "settings_file.h"
#include "trap_traffic.h"
#include "value_text.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <optional>

namespace fenwick::sim {
namespace {

ControlResult Fail(std::string reason) {
    return {false, std::move(reason), {}};
}

ControlResult Done(std::string text = {}) {
    return {true, std::move(text), {}};
}

// The switches a command names: one address, or "all".
std::vector<Agent*> Select(std::string_view target, SwitchSet& switches, std::string& error) {
    std::vector<Agent*> selected;
    if (target == "all") {
        for (Agent& agent : switches.Agents()) {
            selected.push_back(&agent);
        }
        return selected;
    }
    const auto ip = ParseAddress(target);
    if (!ip) {
        error = "expected a switch address or all, not \"" + std::string(target) + "\"";
        return selected;
    }
    Agent* agent = switches.FindByAddress(*ip);
    if (agent == nullptr) {
        error = "no switch at " + AddressText(*ip);
        return selected;
    }
    selected.push_back(agent);
    return selected;
}

// "IP|all VALUE": parses VALUE with `parse` and hands it to `apply` for each switch named.
template <typename T>
ControlResult ForEachAgent(std::string_view arguments, SwitchSet& switches,
                           const std::function<std::optional<T>(std::string_view)>& parse,
                           const std::string& expected,
                           const std::function<void(Agent&, T)>& apply) {
    std::string_view valueText;
    const std::string_view target = FirstWord(arguments, valueText);
    const std::optional<T> value = parse(valueText);
    if (target.empty() || !value) {
        return Fail("expected IP|all " + expected);
    }
    std::string error;
    const std::vector<Agent*> selected = Select(target, switches, error);
    if (!error.empty()) {
        return Fail(error);
    }
    for (Agent* agent : selected) {
        apply(*agent, *value);
    }
    return Done();
}

// The same for commands that change settings alone.
template <typename T>
ControlResult ForEachSelected(std::string_view arguments, SwitchSet& switches,
                              const std::function<std::optional<T>(std::string_view)>& parse,
                              const std::string& expected,
                              const std::function<void(SwitchSettings&, T)>& apply) {
    return ForEachAgent<T>(arguments, switches, parse, expected,
                           [&apply](Agent& agent, T value) { apply(agent.Settings(), value); });
}

struct LossRequest {
    std::uint32_t percent = 0;
    std::uint32_t seed = 1;
};

// "PERCENT [SEED]".
std::optional<LossRequest> ParseLoss(std::string_view text) {
    std::string_view seedText;
    const auto percent = ParseNumber(FirstWord(text, seedText), kMaxLossPercent);
    const auto seed =
        seedText.empty() ? std::optional<std::uint32_t>(1) : ParseNumber(seedText, 0xFFFFFFFF);
    if (!percent || !seed) {
        return std::nullopt;
    }
    return LossRequest{*percent, *seed};
}

// Loss starts afresh from its seed, so that a test that sends the same packets loses the same.
ControlResult Loss(std::string_view arguments, SwitchSet& switches) {
    return ForEachAgent<LossRequest>(arguments, switches, ParseLoss, "PERCENT [SEED]",
                                     [](Agent& agent, LossRequest loss) {
                                         agent.Settings().lossPercent = loss.percent;
                                         agent.Settings().lossSeed = loss.seed;
                                         agent.Tftp().SeedLoss(loss.seed);
                                     });
}

// "IP [PATH]": what the switch's TFTP server holds, and the image's bytes written to PATH.
ControlResult Image(std::string_view arguments, SwitchSet& switches) {
    std::string_view path;
    const auto ip = ParseAddress(FirstWord(arguments, path));
    if (!ip) {
        return Fail("expected image IP [PATH]");
    }
    const Agent* agent = switches.FindByAddress(*ip);
    if (agent == nullptr) {
        return Fail("no switch at " + AddressText(*ip));
    }
    const TftpServer& server = agent->Tftp();
    const auto& image = server.Image();
    if (!path.empty()) {
        if (!image) {
            return Fail("switch " + AddressText(*ip) + " has received no image");
        }
        std::ofstream file(std::string(path), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image->bytes.data()),
                   static_cast<std::streamsize>(image->bytes.size()));
        if (!file.flush()) {
            return Fail("cannot write " + std::string(path));
        }
    }
    std::string text;
    if (image) {
        text = "image " + std::to_string(image->bytes.size()) + " bytes fnv1a-64 " +
               Fnv1a64Text(image->bytes) + "\nname " + Printable(image->fileName) + "\nclient " +
               AddressText(image->client) + ":" + std::to_string(image->clientPort) + "\ntrigger " +
               (image->afterTrigger ? "yes" : "no") + "\nelapsed-us " +
               std::to_string(
                   std::chrono::duration_cast<std::chrono::microseconds>(image->elapsed).count());
    } else {
        text = "image none";
    }
    const TftpCounts& counts = server.Counts();
    text += "\nstate " +
            (agent->Settings().restarting ? std::string("restarting") : server.StateText()) +
            "\nreceived " + std::to_string(counts.received) + " lost " +
            std::to_string(counts.receivedDropped) + "\nsent " + std::to_string(counts.sent) +
            " lost " + std::to_string(counts.sentDropped) + "\nduplicates " +
            std::to_string(counts.duplicates);
    return Done(text);
}

ControlResult Trap(std::string_view arguments, SwitchSet& switches) {
    std::string_view text;
    const std::string_view target = FirstWord(arguments, text);
    const auto ip = ParseAddress(target);
    if (!ip) {
        return Fail("expected trap IP TEXT");
    }
    const Agent* agent = switches.FindByAddress(*ip);
    if (agent == nullptr) {
        return Fail("no switch at " + AddressText(*ip));
    }
    if (const std::string refusal = TrapRefusal(agent->Settings()); !refusal.empty()) {
        return Fail(refusal);
    }
    ControlResult result = Done("1 trap");
    result.datagrams.push_back(TrapDatagram(*agent, text, switches.BasePort()));
    return result;
}

ControlResult TrapAll(std::string_view text, SwitchSet& switches) {
    ControlResult result = Done();
    for (const Agent& agent : switches.Agents()) {
        if (TrapRefusal(agent.Settings()).empty()) {
            result.datagrams.push_back(TrapDatagram(agent, text, switches.BasePort()));
        }
    }
    result.text = std::to_string(result.datagrams.size()) + " traps";
    return result;
}

// "RATE SECONDS [TEXT]": RATE traps a second in all, for SECONDS; TEXT defaults to "storm".
ControlResult TrapRate(std::string_view arguments, SwitchSet& switches, TrapTraffic& traffic) {
    std::string_view rest;
    const auto rate = ParseNumber(FirstWord(arguments, rest), kMaxTrapRate);
    std::string_view text;
    const auto seconds = ParseNumber(FirstWord(rest, text), kMaxStormSeconds);
    if (!rate || !seconds || *rate == 0 || *seconds == 0) {
        return Fail("expected trap-rate RATE SECONDS [TEXT], RATE 1.." +
                    std::to_string(kMaxTrapRate) + " traps a second, SECONDS 1.." +
                    std::to_string(kMaxStormSeconds));
    }
    if (text.size() > kMaxStormText) {
        return Fail("the text may have at most " + std::to_string(kMaxStormText) + " characters");
    }
    const StormPlan plan{*rate, *seconds, text.empty() ? std::string("storm") : std::string(text)};
    if (const std::string refusal = traffic.StartStorm(plan, switches); !refusal.empty()) {
        return Fail(refusal);
    }
    return Done("storm of " + std::to_string(std::uint64_t{*rate} * *seconds) + " traps at " +
                std::to_string(*rate) + "/s for " + std::to_string(*seconds) + " s");
}

ControlResult TrapBurst(std::string_view text, SwitchSet& switches) {
    if (text.size() > kMaxStormText) {
        return Fail("the text may have at most " + std::to_string(kMaxStormText) + " characters");
    }
    ControlResult result = Done();
    result.datagrams = TrapTraffic::Burst(switches, text.empty() ? "burst" : text);
    result.text = std::to_string(result.datagrams.size()) + " traps";
    return result;
}

ControlResult List(SwitchSet& switches) {
    std::string text;
    for (const Agent& agent : switches.Agents()) {
        if (!text.empty()) {
            text += '\n';
        }
        text += FormatSwitchBlock(agent.Settings());
    }
    if (text.ends_with('\n')) {
        text.pop_back();
    }
    return Done(text);
}

struct Command {
    std::string_view name;
    std::function<ControlResult(std::string_view arguments, SwitchSet& switches,
                                TrapTraffic& traffic)>
        run;
};

// Most commands concern the switches alone.
template <typename F> auto OnSwitches(F f) {
    return [f](std::string_view arguments, SwitchSet& switches, TrapTraffic&) {
        return f(arguments, switches);
    };
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"ping", OnSwitches([](std::string_view, SwitchSet&) { return Done(); })},
        {"list", OnSwitches([](std::string_view, SwitchSet& s) { return List(s); })},
        {"trap", OnSwitches(Trap)},
        {"trap-all", OnSwitches(TrapAll)},
        {"trap-rate", TrapRate},
        {"trap-stop",
         [](std::string_view, SwitchSet&, TrapTraffic& t) {
             return t.StopStorm() ? Done("storm stopped") : Fail("no storm is running");
         }},
        {"trap-burst", OnSwitches(TrapBurst)},
        {"stats", [](std::string_view, SwitchSet&, TrapTraffic& t) { return Done(t.StatsText()); }},
        {"silent", OnSwitches([](std::string_view a, SwitchSet& s) {
             return ForEachSelected<bool>(a, s, ParseSwitch, "on|off",
                                          [](SwitchSettings& sw, bool on) { sw.silent = on; });
         })},
        {"loader", OnSwitches([](std::string_view a, SwitchSet& s) {
             return ForEachSelected<bool>(a, s, ParseSwitch, "on|off",
                                          [](SwitchSettings& sw, bool on) { sw.loader = on; });
         })},
        {"error", OnSwitches([](std::string_view a, SwitchSet& s) {
             return ForEachSelected<std::uint32_t>(
                 a, s, [](std::string_view v) { return ParseNumber(v, kMaxErrorCode); }, "0..15",
                 [](SwitchSettings& sw, std::uint32_t n) {
                     sw.errorCode = static_cast<std::uint8_t>(n);
                 });
         })},
        {"tftp", OnSwitches([](std::string_view a, SwitchSet& s) {
             return ForEachSelected<bool>(a, s, ParseSwitch, "on|off",
                                          [](SwitchSettings& sw, bool on) { sw.tftp = on; });
         })},
        {"tftp-port", OnSwitches([](std::string_view a, SwitchSet& s) {
             return ForEachSelected<TftpAnswerPort>(
                 a, s, ParseTftpPort, "69|other",
                 [](SwitchSettings& sw, TftpAnswerPort port) { sw.tftpPort = port; });
         })},
        {"tftp-error", OnSwitches([](std::string_view a, SwitchSet& s) {
             return ForEachSelected<std::optional<TftpErrorAnswer>>(
                 a, s, ParseTftpError,
                 "off|CODE [TEXT], CODE 0..65535, TEXT up to " + std::to_string(kMaxTftpErrorText) +
                     " characters",
                 [](SwitchSettings& sw, std::optional<TftpErrorAnswer> error) {
                     sw.tftpError = std::move(error);
                 });
         })},
        {"loss", OnSwitches(Loss)},
        {"restart-delay", OnSwitches([](std::string_view a, SwitchSet& s) {
             return ForEachSelected<std::uint32_t>(
                 a, s, [](std::string_view v) { return ParseNumber(v, kMaxRestartSeconds); },
                 "SECONDS, 0..3600",
                 [](SwitchSettings& sw, std::uint32_t seconds) { sw.restartSeconds = seconds; });
         })},
        {"image", OnSwitches(Image)},
        {"version", OnSwitches([](std::string_view a, SwitchSet& s) {
             return ForEachSelected<std::uint32_t>(
                 a, s, [](std::string_view v) { return ParseNumber(v, 0xFFFF); }, "0..65535",
                 [](SwitchSettings& sw, std::uint32_t n) {
                     sw.protocolVersion = static_cast<std::uint16_t>(n);
                 });
         })},
    };
    return commands;
}

std::string CommandNames() {
    std::string names = "help";
    for (const Command& command : Commands()) {
        names += ' ';
        names += command.name;
    }
    return names;
}

} // namespace

ControlResult RunControlCommand(std::string_view line, SwitchSet& switches, TrapTraffic& traffic) {
    std::string_view arguments;
    const std::string_view name = FirstWord(line, arguments);
    if (name == "help") {
        return Done(CommandNames());
    }
    for (const Command& command : Commands()) {
        if (command.name == name) {
            return command.run(arguments, switches, traffic);
        }
    }
    return Fail("unknown command \"" + std::string(name) + "\"; known: " + CommandNames());
}

} // namespace fenwick::sim
