#include "command_line.h"
#include "kestrel_app.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    // First the command line: --help, --version and a mistaken option answer here, with no
    // display needed and before anything opens a socket.
    const fenwick::CommandLine commandLine = fenwick::ReadCommandLine(argc, argv);
    if (commandLine.outcome != fenwick::CommandLine::Outcome::Run) {
        std::FILE* stream =
            commandLine.outcome == fenwick::CommandLine::Outcome::Error ? stderr : stdout;
        std::fputs(commandLine.message.toLocal8Bit().constData(), stream);
        return fenwick::ExitCode(commandLine.outcome);
    }

    fenwick::CKestrelApp app(argc, argv);
    app.InitInstance(commandLine.configFolder);
    // Until the main window closes.
    return fenwick::CKestrelApp::exec();
}
