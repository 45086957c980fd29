#include "control_channel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>

namespace fenwick::sim {
namespace {

std::string Reason(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool MakeAddress(const std::string& path, sockaddr_un& address, std::string& error) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "control socket path must have 1 to " +
                std::to_string(sizeof address.sun_path - 1) + " characters";
        return false;
    }
    path.copy(address.sun_path, path.size());
    return true;
}

UniqueFd Connect(const sockaddr_un& address) {
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd && connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        fd.Reset();
    }
    return fd;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::optional<ControlServer> ControlServer::Open(const std::string& path, std::string& error) {
    sockaddr_un address;
    if (!MakeAddress(path, address, error)) {
        return std::nullopt;
    }
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode)) {
            error = path + " exists and is not a socket";
            return std::nullopt;
        }
        if (Connect(address)) {
            error = path + " is in use by another process";
            return std::nullopt;
        }
        unlink(path.c_str());
    }
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) {
        error = Reason("socket");
        return std::nullopt;
    }
    if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = Reason("bind to " + path);
        return std::nullopt;
    }
    if (listen(fd.Get(), 16) != 0) {
        error = Reason("listen on " + path);
        unlink(path.c_str());
        return std::nullopt;
    }
    return ControlServer(std::move(fd), path);
}

ControlServer::ControlServer(ControlServer&& other) noexcept
    : fd_(std::move(other.fd_)), path_(std::move(other.path_)) {
    other.path_.clear();
}

ControlServer& ControlServer::operator=(ControlServer&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::move(other.fd_);
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

ControlServer::~ControlServer() {
    Close();
}

void ControlServer::Close() {
    if (fd_ && !path_.empty()) {
        unlink(path_.c_str());
    }
    fd_.Reset();
}

UniqueFd ControlServer::Accept() const {
    return UniqueFd(accept4(fd_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
}

ControlConnection::State ControlConnection::Read() {
    char buffer[512];
    for (;;) {
        const ssize_t got = recv(fd_.Get(), buffer, sizeof buffer, 0);
        if (got < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK ? State::Waiting : State::Broken;
        }
        if (got == 0) {
            return line_.empty() ? State::Broken : State::Complete;
        }
        line_.append(buffer, static_cast<std::size_t>(got));
        const auto end = line_.find('\n');
        if (end != std::string::npos) {
            line_.resize(end);
            return State::Complete;
        }
        if (line_.size() > kMaxControlLine) {
            return State::Broken;
        }
    }
}

void ControlConnection::Answer(std::string_view answer) {
    // The loop serves the switches too, so a client that stops reading must not hold it long.
    const int flags = fcntl(fd_.Get(), F_GETFL);
    fcntl(fd_.Get(), F_SETFL, flags & ~O_NONBLOCK);
    const timeval limit{2, 0};
    setsockopt(fd_.Get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    WriteAll(fd_.Get(), answer);
    fd_.Reset();
}

std::string FormatControlAnswer(bool ok, std::string_view text) {
    if (!ok) {
        std::string line = "error: ";
        line += text;
        for (char& c : line) {
            c = c == '\n' ? ' ' : c;
        }
        return line + "\n";
    }
    std::string answer(text);
    if (!answer.empty() && !answer.ends_with('\n')) {
        answer += '\n';
    }
    return answer + "ok\n";
}

int SendControlCommand(const std::string& path, std::string_view command, std::string& output,
                       std::string& error) {
    sockaddr_un address;
    if (!MakeAddress(path, address, error)) {
        return -1;
    }
    if (command.size() > kMaxControlLine || command.find('\n') != std::string_view::npos) {
        error = "a command is one line of at most " + std::to_string(kMaxControlLine) + " bytes";
        return -1;
    }
    const UniqueFd fd = Connect(address);
    if (!fd) {
        error = Reason("cannot reach the switches at " + path);
        return -1;
    }
    if (!WriteAll(fd.Get(), std::string(command) + "\n") || shutdown(fd.Get(), SHUT_WR) != 0) {
        error = Reason("sending to " + path);
        return -1;
    }
    std::string answer;
    char buffer[4096];
    for (;;) {
        const ssize_t got = recv(fd.Get(), buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = Reason("reading from " + path);
            return -1;
        }
        if (got == 0) {
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    if (answer.ends_with("ok\n") && (answer.size() == 3 || answer[answer.size() - 4] == '\n')) {
        output = answer.substr(0, answer.size() - 3);
        return 0;
    }
    if (answer.starts_with("error: ")) {
        error = answer.substr(7);
        while (error.ends_with('\n')) {
            error.pop_back();
        }
        return 1;
    }
    error = "the switches at " + path + " gave no complete answer";
    return -1;
}

} // namespace fenwick::sim
