// The control channel's framing, over a real UNIX socket in a temporary folder (no network).
#include "fenwick-switch/control_channel.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fenwick::sim {
namespace {

class TemporaryFolder {
public:
    TemporaryFolder() {
        char pattern[] = "/tmp/fenwick-switch-test-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            path_ = pattern;
        }
    }
    ~TemporaryFolder() {
        if (!path_.empty()) {
            rmdir(path_.c_str());
        }
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Serves one client with a fixed answer and hands back the line it received.
std::string ServeOnce(const ControlServer& server, bool ok, const std::string& text) {
    pollfd listening{server.Fd(), POLLIN, 0};
    if (poll(&listening, 1, -1) != 1) {
        return "poll failed";
    }
    ControlConnection client(server.Accept());
    for (;;) {
        pollfd readable{client.Fd(), POLLIN, 0};
        if (poll(&readable, 1, -1) != 1) {
            return "poll failed";
        }
        if (client.Read() != ControlConnection::State::Waiting) {
            break;
        }
    }
    std::string line(client.Line());
    client.Answer(FormatControlAnswer(ok, text));
    return line;
}

TEST(ControlChannel, CarriesTheCommandAndTheAnswer) {
    struct Case {
        bool ok;
        std::string text;
        int status;
        std::string output;
        std::string error;
    };
    const Case cases[] = {
        {true, "", 0, "", ""},
        {true, "[switch]\nip = 10.77.1.1", 0, "[switch]\nip = 10.77.1.1\n", ""},
        {true, "ok", 0, "ok\n", ""},
        {false, "no switch at 10.77.1.9", 1, "", "no switch at 10.77.1.9"},
        {false, "two\nlines", 1, "", "two lines"},
    };
    const TemporaryFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string path = folder.Path() + "/control";
    for (const Case& c : cases) {
        std::string error;
        {
            auto server = ControlServer::Open(path, error);
            ASSERT_TRUE(server) << error;
            std::string received;
            std::thread serving([&] { received = ServeOnce(*server, c.ok, c.text); });
            std::string output;
            const int status = SendControlCommand(path, "trap 10.77.1.1 cold start", output, error);
            serving.join();
            EXPECT_EQ(received, "trap 10.77.1.1 cold start");
            EXPECT_EQ(status, c.status) << c.text;
            EXPECT_EQ(output, c.output) << c.text;
            if (c.status != 0) {
                EXPECT_EQ(error, c.error);
            }
        }
        // The server removes its socket when it goes.
        EXPECT_NE(access(path.c_str(), F_OK), 0);
    }
}

TEST(ControlChannel, NoServerIsAnErrorOfTheChannel) {
    const TemporaryFolder folder;
    std::string output;
    std::string error;
    EXPECT_EQ(SendControlCommand(folder.Path() + "/nobody", "ping", output, error), -1);
    EXPECT_NE(error.find("cannot reach"), std::string::npos) << error;
}

TEST(ControlChannel, AStaleSocketIsReplacedButALiveOneOrAFileIsNot) {
    const TemporaryFolder folder;
    const std::string path = folder.Path() + "/control";
    std::string error;
    {
        auto first = ControlServer::Open(path, error);
        ASSERT_TRUE(first) << error;
        EXPECT_FALSE(ControlServer::Open(path, error));
        EXPECT_NE(error.find("in use"), std::string::npos) << error;
    }
    // A socket file nobody listens on, as a killed process leaves it behind.
    {
        const UniqueFd fd(socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    ASSERT_EQ(access(path.c_str(), F_OK), 0);
    EXPECT_TRUE(ControlServer::Open(path, error)) << error;

    const std::string file = folder.Path() + "/file";
    close(open(file.c_str(), O_CREAT | O_WRONLY, 0600));
    EXPECT_FALSE(ControlServer::Open(file, error));
    EXPECT_EQ(access(file.c_str(), F_OK), 0);
    unlink(file.c_str());
}

} // namespace
} // namespace fenwick::sim
