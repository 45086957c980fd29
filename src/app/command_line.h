// The fenwick command line: --help, --version and --config-dir DIR. It is read before the
// application object exists, so that these answer without a display and before any socket is
// opened.
#pragma once

#include <QString>

namespace fenwick {

struct CommandLine {
    enum class Outcome {
        Run,     // start the program
        Help,    // print `message` on standard output and exit 0
        Version, // the same
        Error,   // print `message` on standard error and exit 2
    };
    Outcome outcome = Outcome::Run;
    // --config-dir, empty when not given.
    QString configFolder;
    QString message;
};

// Reads the arguments of main. Touches no display and opens nothing.
CommandLine ReadCommandLine(int argc, char** argv);

// What main returns for an outcome other than Run, after printing the message.
int ExitCode(CommandLine::Outcome outcome);

} // namespace fenwick
