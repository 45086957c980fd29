// fenwick-define: writes a definition file for an agent key and a base port.
#include "codec/definition_file.h"
#include "define_arguments.h"
#include "fenwick_version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: fenwick-define [--force] KEY PORT FILE\n"
    "       fenwick-define --help | --version\n"
    "Writes the definition file define.ecf that fenwick reads its agent key and base\n"
    "port from. They must be those the switches' agents of the network expect.\n"
    "  KEY         the agent key, 8 hexadecimal digits (for example 1A2B3C4D)\n"
    "  PORT        the base port, decimal or hexadecimal after 0x (for example 8080\n"
    "              or 0x1F90)\n"
    "  FILE        the file to write: define.ecf in fenwick's folder, that is\n"
    "              ~/.config/fenwick/define.ecf (or $XDG_CONFIG_HOME/fenwick/...),\n"
    "              cfg/define.ecf beside a portable fenwick, or, for every user\n"
    "              of the machine, /etc/fenwick/define.ecf\n"
    "  --force     overwrite FILE if it exists\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Makes the file's folder when it is missing but its parent is there. A user's own folder is
// private (0700), as the program makes it; the site-wide one, which root writes for every
// user of the machine, must stay readable by them (0755). False, with errno, when it cannot
// be made.
bool MakeFinalFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) {
        return true; // the current folder, or the root
    }
    const std::string folder = path.substr(0, slash);
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return true; // there: opening the file tells whatever else is wrong
    }
    const mode_t mode = ::geteuid() == 0 ? 0755 : 0700;
    return ::mkdir(folder.c_str(), mode) == 0 || errno == EEXIST;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    std::string error;
    const auto parsed = fenwick::ParseDefineArguments(arguments, error);
    if (!parsed) {
        std::fprintf(stderr, "fenwick-define: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (parsed->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parsed->version) {
        std::fputs("fenwick-define " FENWICK_VERSION "\n", stdout);
        return 0;
    }

    const std::vector<std::uint8_t> bytes =
        fenwick::EncodeDefinitionFile(parsed->agentKey, parsed->basePort);
    // "x" creates the file only if it does not exist yet, so nothing is overwritten by mistake.
    std::unique_ptr<std::FILE, FileCloser> file;
    if (MakeFinalFolder(parsed->path)) {
        file.reset(std::fopen(parsed->path.c_str(), parsed->force ? "wb" : "wbx"));
    }
    if (!file) {
        const int openError = errno;
        const char* hint = openError == EEXIST   ? " (use --force to overwrite)"
                           : openError == ENOENT ? " (the folder that holds its folder is missing)"
                                                 : "";
        std::fprintf(stderr, "fenwick-define: cannot create %s: %s%s\n", parsed->path.c_str(),
                     std::strerror(openError), hint);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) {
        const int writeError = errno;
        std::remove(parsed->path.c_str());
        std::fprintf(stderr, "fenwick-define: cannot write %s: %s\n", parsed->path.c_str(),
                     std::strerror(writeError));
        return 1;
    }
    return 0;
}
