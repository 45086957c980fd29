// The six commands. Each runs on a session its caller built for it and returns the exit status.
#pragma once

#include "ctl/ctl_command_line.h"

namespace fenwick::ctl {

class CtlSession;

int RunDiscover(CtlSession& session, const CtlCommandLine& line);
int RunShow(CtlSession& session, const CtlCommandLine& line);
int RunSet(CtlSession& session, const CtlCommandLine& line);
int RunPassword(CtlSession& session, const CtlCommandLine& line);
int RunUpgrade(CtlSession& session, const CtlCommandLine& line);
int RunWatch(CtlSession& session, const CtlCommandLine& line);

} // namespace fenwick::ctl
