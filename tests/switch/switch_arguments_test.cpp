#include "fenwick-switch/switch_arguments.h"

#include <gtest/gtest.h>
#include <vector>

namespace fenwick::sim {
namespace {

std::optional<SwitchArguments> Parse(std::vector<std::string_view> arguments, std::string& error) {
    return ParseSwitchArguments(arguments, error);
}

TEST(SwitchArguments, RunWithEveryOption) {
    std::string error;
    const auto parsed = Parse({"--config", "lab.conf", "--control", "/tmp/c.sock", "--verbose",
                               "--interface", "lab1", "--prefix-length", "24", "--ready-fd", "3"},
                              error);
    ASSERT_TRUE(parsed) << error;
    const auto& run = std::get<RunArguments>(*parsed);
    EXPECT_EQ(run.configPath, "lab.conf");
    EXPECT_EQ(run.controlPath, "/tmp/c.sock");
    EXPECT_EQ(run.interface, "lab1");
    EXPECT_EQ(run.prefixLength, 24);
    EXPECT_EQ(run.readyFd, 3);
    EXPECT_TRUE(run.verbose);
}

TEST(SwitchArguments, GenerateTakesItsOptions) {
    std::string error;
    const auto parsed =
        Parse({"--generate", "256", "--agent-key", "CAFEF00D", "--base-port", "0x1F90",
               "--first-ip", "10.77.2.1", "--loader", "1", "--foreign", "256"},
              error);
    ASSERT_TRUE(parsed) << error;
    const GeneratorOptions& o = std::get<GenerateArguments>(*parsed).options;
    EXPECT_EQ(o.count, 256u);
    EXPECT_EQ(o.agentKey, 0xCAFEF00Du);
    EXPECT_EQ(o.basePort, 8080);
    EXPECT_EQ(o.firstIp, 0x0A4D0201u);
    EXPECT_EQ(o.loaderSwitch, 1u);
    EXPECT_EQ(o.foreignSwitch, 256u);
}

TEST(SwitchArguments, ControlJoinsTheCommandWords) {
    std::string error;
    const auto parsed =
        Parse({"--control", "/tmp/c.sock", "trap", "10.77.1.1", "--not-an-option", "x"}, error);
    ASSERT_TRUE(parsed) << error;
    const auto& control = std::get<ControlArguments>(*parsed);
    EXPECT_EQ(control.controlPath, "/tmp/c.sock");
    EXPECT_EQ(control.command, "trap 10.77.1.1 --not-an-option x");
}

TEST(SwitchArguments, PrintNamesOneValue) {
    std::string error;
    const auto parsed = Parse({"--config", "lab.conf", "--print", "addresses"}, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(std::get<PrintArguments>(*parsed).what, "addresses");
}

TEST(SwitchArguments, RejectsMixturesAndBadValues) {
    const std::vector<std::vector<std::string_view>> cases = {
        {},
        {"--config"},
        {"--config", "a", "--config", "b"},
        {"--config", "a", "--generate", "3", "--loader", "1"},
        {"--config", "a", "--prefix-length", "16"},
        {"--config", "a", "--interface", "lab1", "--prefix-length", "33"},
        {"--config", "a", "--print", "password"},
        {"--config", "a", "stray"},
        {"--generate", "3", "--agent-key", "12345"},
        {"--generate", "3", "--first-ip", "10.77.1"},
        {"--generate", "three"},
        {"--control", "/tmp/c.sock"},
        {"--control", "/tmp/c.sock", "--verbose", "ping"},
    };
    for (const auto& arguments : cases) {
        std::string error;
        std::string joined;
        for (const auto word : arguments) {
            joined += std::string(word) + " ";
        }
        EXPECT_FALSE(Parse(arguments, error)) << joined;
        EXPECT_FALSE(error.empty()) << joined;
    }
}

} // namespace
} // namespace fenwick::sim
