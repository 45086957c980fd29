// fenwickctl: the program's core driven from scripts. The command line is read whole first, so
// that a mistake exits 2 with nothing built and nothing sent.
#include "ctl/ctl_command_line.h"
#include "ctl/ctl_commands.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_session.h"
#include "ctl/exit_codes.h"
#include "platform/config_folder.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

using namespace fenwick::ctl;

int RunCommand(CtlSession& session, const CtlCommandLine& line) {
    switch (line.command) {
    case Command::Discover:
        return RunDiscover(session, line);
    case Command::Show:
        return RunShow(session, line);
    case Command::Set:
        return RunSet(session, line);
    case Command::Password:
        return RunPassword(session, line);
    case Command::Upgrade:
        return RunUpgrade(session, line);
    case Command::Watch:
        return RunWatch(session, line);
    }
    return kExitUsage;
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication app(argc, argv);
    const CtlCommandLine line = ReadCtlCommandLine(QCoreApplication::arguments().mid(1));
    switch (line.outcome) {
    case CtlCommandLine::Outcome::Help:
    case CtlCommandLine::Outcome::Version:
        Print(line.message);
        return kExitDone;
    case CtlCommandLine::Outcome::Error:
        PrintError(line.message);
        return kExitUsage;
    case CtlCommandLine::Outcome::Run:
        break;
    }
    CtlSession session(fenwick::GetConfigFolder(line.configFolder));
    return RunCommand(session, line);
}
