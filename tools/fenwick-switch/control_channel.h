// The control channel: a UNIX stream socket at a path in the file system, so that it reaches
// the switches from any network namespace. A client connects, writes one command line, and
// reads the answer until the server closes: the answer's lines, then "ok", or a single line
// "error: REASON".
#pragma once

#include "unique_fd.h"

#include <optional>
#include <string>
#include <string_view>

namespace fenwick::sim {

inline constexpr std::size_t kMaxControlLine = 4096;

class ControlServer {
public:
    // Listens at `path`. A socket left there by a process that has gone is replaced; a path
    // in use, or a file that is not a socket, is refused.
    static std::optional<ControlServer> Open(const std::string& path, std::string& error);
    ControlServer(ControlServer&& other) noexcept;
    ControlServer& operator=(ControlServer&& other) noexcept;
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;
    ~ControlServer(); // removes the socket file

    int Fd() const { return fd_.Get(); }
    UniqueFd Accept() const;

private:
    void Close();
    ControlServer(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
    UniqueFd fd_;
    std::string path_;
};

// One client of the server, from its command line to the answer.
class ControlConnection {
public:
    enum class State { Waiting, Complete, Broken };

    explicit ControlConnection(UniqueFd fd) : fd_(std::move(fd)) {}
    int Fd() const { return fd_.Get(); }

    // Takes what has arrived without waiting. Complete once the line has ended (or the client
    // has closed after a partial line); Broken when reading failed or the line is too long.
    State Read();
    std::string_view Line() const { return line_; }

    // Writes the whole answer, waiting at most a little for a slow client, and closes.
    void Answer(std::string_view answer);

private:
    UniqueFd fd_;
    std::string line_;
};

// The text the server sends for one command's result.
std::string FormatControlAnswer(bool ok, std::string_view text);

// Sends one command and waits for its answer. Returns 0 with the answer's lines in `output`
// when the server answered "ok", 1 with its reason in `error` when it answered "error", and
// -1 with the reason in `error` when the channel failed.
int SendControlCommand(const std::string& path, std::string_view command, std::string& output,
                       std::string& error);

} // namespace fenwick::sim
