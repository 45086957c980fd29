// The simulated switches' TFTP server over real sockets, inside the lab (run through
// tests/support/run_in_lab.sh with --switches 8): Debian's tftp-hpa client and a client that sends
// as the manager does (every packet to port 69 from port 64517, answers taken from any port)
// write images that come back byte for byte through the control channel, with the server
// answering from port 69 and from a transfer port of its own; seeded loss, error answers, a
// missing server and the restart after an upgrade.
#include "codec/info_field.h"
#include "codec/text_forms.h"
#include "fenwick-switch/fnv1a.h"
#include "fenwick-switch/settings_file.h"
#include "fenwick-switch/switch_control.h"
#include "lab_sockets.h"
#include "tftp_fixtures.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

namespace fenwick::sim {
namespace {

using namespace testing;
using namespace std::chrono_literals;
using lab::Clock;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

Bytes ReadBytes(const std::string& path) {
    const std::string text = ReadText(path);
    return Bytes(text.begin(), text.end());
}

class TftpLab : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = Environment("FENWICK_LAB_DIR");
        control_ = Environment("FENWICK_LAB_CONTROL");
        std::string error;
        const auto settings = ParseSettingsText(ReadText(Environment("FENWICK_LAB_CONFIG")), error);
        ASSERT_TRUE(settings) << "run me through scripts/lab run: " << error;
        lab_ = *settings;
        ASSERT_GE(lab_.switches.size(), 8u);
    }

    std::uint32_t SwitchIp(std::size_t index) const { return lab_.switches[index].ip; }

    std::string Command(const std::string& command) const {
        const auto output = SwitchControl(control_).Run(command);
        EXPECT_TRUE(output) << command;
        return output.value_or("");
    }

    // The image the switch holds, fetched through the control channel.
    Bytes StoredImage(std::uint32_t ip) const {
        const std::string path = folder_ + "/stored-" + AddressText(ip);
        Command("image " + AddressText(ip) + " " + path);
        return ReadBytes(path);
    }

    // A local file with `size` bytes that are not all alike.
    std::string ImageFile(const std::string& name, const Bytes& bytes) const {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // Runs Debian's tftp client with `commands` on its standard input; returns what it printed.
    std::string TftpHpa(std::uint32_t ip, const std::string& commands) const {
        const std::string input = folder_ + "/tftp-commands";
        const std::string output = folder_ + "/tftp-output";
        std::ofstream(input) << commands << "quit\n";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        char program[] = "tftp";
        std::string host = AddressText(ip);
        char* const argv[] = {program, host.data(), nullptr};
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << "tftp-hpa is not installed (scripts/lab installs it)";
        int status = 0;
        if (spawned == 0) {
            waitpid(pid, &status, 0);
        }
        return ReadText(output);
    }

    std::string Put(std::uint32_t ip, const std::string& local, const std::string& extra = {}) {
        return TftpHpa(ip, "mode octet\n" + extra + "put " + local + " firmware.hex\n");
    }

    // A poll to the switch: whether it answered within `wait`.
    bool AnswersPoll(std::uint32_t ip, Clock::duration wait) const {
        std::string error;
        const UniqueFd fd = lab::OpenSocket(static_cast<std::uint16_t>(lab_.basePort + 1), error);
        EXPECT_TRUE(fd) << error;
        EXPECT_FALSE(lab::SendDatagram(fd.Get(), ip, lab_.AgentPort(),
                                       lab::RequestHeader(kCommandPoll, lab_.agentKey)));
        const auto deadline = Clock::now() + wait;
        while (const auto d = lab::Receive(fd.Get(), deadline)) {
            if (d->source == ip) {
                return true;
            }
        }
        return false;
    }

    std::string folder_;
    std::string control_;
    NetworkSettings lab_;
};

Bytes RandomImage(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(size);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(generator());
    }
    return bytes;
}

struct UploadReport {
    bool acknowledged = false;
    std::set<std::uint16_t> answerPorts; // where the switch answered from
    int retransmissions = 0;
    std::optional<TftpError> error;
    Clock::time_point finalAck{};
};

// Writes `image` as the manager does: from port 64517, every packet to port 69, an answer taken
// from whatever port it comes; each packet sent again after `wait` without its acknowledgement.
UploadReport ManagerUpload(std::uint32_t ip, const Bytes& image, Clock::duration wait = 300ms,
                           int tries = 30) {
    UploadReport report;
    std::string error;
    const UniqueFd fd = lab::OpenSocket(kManagerTftpPort, error);
    EXPECT_TRUE(fd) << error;
    const std::size_t blocks = image.size() / kTftpBlockSize + 1;
    Bytes packet = EncodeTftpRequest(TftpOpcode::WriteRequest, "/lab/firmware.hex", "octet");
    for (std::uint16_t awaited = 0;; ++awaited) {
        bool acknowledged = false;
        for (int i = 0; i < tries && !acknowledged; ++i) {
            report.retransmissions += i > 0 ? 1 : 0;
            EXPECT_FALSE(lab::SendDatagram(fd.Get(), ip, kTftpServerPort, packet));
            const auto deadline = Clock::now() + wait;
            while (const auto d = lab::Receive(fd.Get(), deadline)) {
                if (d->source != ip) {
                    continue;
                }
                report.answerPorts.insert(d->sourcePort);
                if (auto refusal = DecodeTftpError(d->bytes)) {
                    report.error = std::move(refusal);
                    return report;
                }
                if (DecodeTftpAck(d->bytes) == awaited) {
                    acknowledged = true;
                    break;
                }
            }
        }
        if (!acknowledged) {
            return report;
        }
        if (awaited == blocks) {
            report.acknowledged = true;
            report.finalAck = Clock::now();
            return report;
        }
        packet = DataBlock(static_cast<std::uint16_t>(awaited + 1), image);
    }
}

TEST_F(TftpLab, TftpHpaPutsAnImageThatComesBackWholeFromEitherAnswerPort) {
    const std::pair<std::size_t, const char*> cases[] = {{0, "69"}, {1, "other"}};
    for (const auto& [index, port] : cases) {
        SCOPED_TRACE(port);
        const std::uint32_t ip = SwitchIp(index);
        Command("tftp-port " + AddressText(ip) + " " + port);
        // An exact multiple of 512 bytes: the final block is empty.
        const Bytes image = RandomImage(index == 0 ? 40000 : 40960, 11 + index);
        const std::string said = Put(ip, ImageFile("hpa.bin", image));
        EXPECT_EQ(StoredImage(ip), image) << "tftp-hpa said: " << said;
        const std::string info = Command("image " + AddressText(ip));
        EXPECT_NE(info.find("image " + std::to_string(image.size()) + " bytes fnv1a-64 " +
                            Fnv1a64Text(image) + "\nname firmware.hex\nclient 10.77.0.1:"),
                  std::string::npos)
            << info;
        EXPECT_NE(info.find("trigger no"), std::string::npos) << info;
    }
}

TEST_F(TftpLab, AManagerSendingEverythingToPort69IsServedFromEitherAnswerPort) {
    struct Case {
        std::size_t index;
        const char* port;
        bool fromPort69;
    };
    const Case cases[] = {{2, "69", true}, {3, "other", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        const std::uint32_t ip = SwitchIp(c.index);
        const SwitchSettings& sw = lab_.switches[c.index];
        Command("tftp-port " + AddressText(ip) + " " + c.port);
        // As the manager does: the upgrade trigger first, acknowledged before the transfer.
        std::string error;
        const UniqueFd agent =
            lab::OpenSocket(static_cast<std::uint16_t>(lab_.basePort + 1), error);
        ASSERT_TRUE(agent) << error;
        Bytes trigger = lab::RequestHeader(kCommandUpgradeTrigger, lab_.agentKey);
        std::copy(sw.mac.begin(), sw.mac.end(), trigger.begin() + 4);
        AppendText(trigger, kInfoPassword, sw.password);
        ASSERT_FALSE(lab::SendDatagram(agent.Get(), ip, lab_.AgentPort(), trigger));
        const auto acknowledgement = lab::Receive(agent.Get(), Clock::now() + 10s);
        ASSERT_TRUE(acknowledgement);
        EXPECT_EQ(DecodeHeader(acknowledgement->bytes).CommandCode, kCommandUpgradeTriggerReply);

        const Bytes image = RandomImage(20000, 21 + c.index);
        const UploadReport report = ManagerUpload(ip, image);
        ASSERT_TRUE(report.acknowledged);
        EXPECT_EQ(report.retransmissions, 0);
        ASSERT_EQ(report.answerPorts.size(), 1u) << "one port answers a transfer";
        EXPECT_EQ(*report.answerPorts.begin() == kTftpServerPort, c.fromPort69);
        EXPECT_EQ(StoredImage(ip), image);
        EXPECT_NE(Command("image " + AddressText(ip)).find("trigger yes"), std::string::npos);
    }
}

TEST_F(TftpLab, AfterTheFinalAcknowledgementTheSwitchIsSilentForItsRestartDelay) {
    const std::uint32_t ip = SwitchIp(4);
    Command("restart-delay " + AddressText(ip) + " 3");
    ASSERT_TRUE(AnswersPoll(ip, 5s));
    const UploadReport report = ManagerUpload(ip, RandomImage(5000, 4));
    ASSERT_TRUE(report.acknowledged);
    EXPECT_FALSE(AnswersPoll(ip, 1s)) << "still restarting";
    EXPECT_NE(Command("image " + AddressText(ip)).find("state restarting"), std::string::npos);
    bool back = false;
    for (int i = 0; i < 20 && !back; ++i) {
        back = AnswersPoll(ip, 500ms);
    }
    ASSERT_TRUE(back) << "the switch did not come back";
    // It cannot answer before its restart is over; the slack is the link's one-way time.
    EXPECT_GE(Clock::now() - report.finalAck, 2900ms);
    EXPECT_NE(Command("image " + AddressText(ip)).find("state idle"), std::string::npos);
}

// A count from the `image` answer, e.g. the N of "received N lost M" for ("received ", 0).
std::uint64_t Figure(const std::string& info, const std::string& line, int field) {
    std::istringstream words(info.substr(info.find("\n" + line) + 1 + line.size()));
    std::uint64_t value = 0;
    std::string skip;
    for (int i = 0; i < field; ++i) {
        words >> value >> skip;
    }
    words >> value;
    return value;
}

TEST_F(TftpLab, TwentyPercentLossCostsRetransmissionsButNotBytes) {
    const std::uint32_t manager = SwitchIp(5);
    Command("loss " + AddressText(manager) + " 20 5");
    const Bytes image = RandomImage(40 * 1024 + 100, 5);
    const UploadReport report = ManagerUpload(manager, image, 100ms);
    ASSERT_TRUE(report.acknowledged);
    EXPECT_GT(report.retransmissions, 0);
    EXPECT_EQ(StoredImage(manager), image);
    const std::string info = Command("image " + AddressText(manager));
    EXPECT_GT(Figure(info, "received ", 1), 0u) << info;
    EXPECT_GT(Figure(info, "sent ", 1), 0u) << info;

    // tftp-hpa waits at least a second before it sends again: a smaller image.
    const std::uint32_t hpa = SwitchIp(6);
    Command("loss " + AddressText(hpa) + " 20 6");
    Command("tftp-port " + AddressText(hpa) + " other");
    const Bytes small = RandomImage(12 * 1024 + 7, 6);
    const std::string said = Put(hpa, ImageFile("lossy.bin", small), "rexmt 1\ntimeout 60\n");
    EXPECT_EQ(StoredImage(hpa), small) << "tftp-hpa said: " << said;
    const std::string hpaInfo = Command("image " + AddressText(hpa));
    EXPECT_GT(Figure(hpaInfo, "received ", 1) + Figure(hpaInfo, "sent ", 1), 0u) << hpaInfo;
}

TEST_F(TftpLab, AnErrorAnswerReachesBothClientsAndAMissingServerAnswersNothing) {
    const std::uint32_t ip = SwitchIp(7);
    const std::string text = "Flash write error at sector 12, the image was not kept: retry";
    Command("tftp-error " + AddressText(ip) + " 3 " + text);
    const UploadReport report = ManagerUpload(ip, RandomImage(700, 7));
    EXPECT_FALSE(report.acknowledged);
    ASSERT_TRUE(report.error);
    EXPECT_EQ(report.error->code, 3);
    EXPECT_EQ(report.error->text, text);
    EXPECT_EQ(report.answerPorts, std::set<std::uint16_t>{kTftpServerPort});

    const std::string said = Put(ip, ImageFile("refused.bin", RandomImage(700, 8)));
    EXPECT_NE(said.find("Error code 3: " + text), std::string::npos) << said;
    EXPECT_EQ(Command("image " + AddressText(ip)).substr(0, 10), "image none");

    Command("tftp-error " + AddressText(ip) + " off");
    Command("tftp " + AddressText(ip) + " off");
    const UploadReport unanswered = ManagerUpload(ip, RandomImage(700, 9), 200ms, 3);
    EXPECT_FALSE(unanswered.acknowledged);
    EXPECT_TRUE(unanswered.answerPorts.empty());
    EXPECT_EQ(unanswered.retransmissions, 2);
}

} // namespace
} // namespace fenwick::sim
