// The fenwickctl command line: `fenwickctl [OPTIONS] COMMAND [ARGS]`, options before or after
// the command. Read whole before anything is built, so that a mistake exits 2 with nothing
// sent; the DEVICE texts are read later (ReadDeviceArgument), each on its own.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace fenwick::ctl {

enum class Command { Discover, Show, Set, Password, Upgrade, Watch };

struct CtlCommandLine {
    enum class Outcome {
        Run,     // run `command`
        Help,    // print `message` on standard output and exit 0
        Version, // the same
        Error,   // print `message` on standard error and exit 2
    };
    Outcome outcome = Outcome::Run;
    QString message;

    Command command = Command::Discover;
    QString configFolder; // --config-dir, empty when not given
    bool json = false;
    int waitSeconds = 2;     // discover --wait
    QStringList devices;     // as typed
    QString passwordFile;    // --password-file
    QString newPasswordFile; // password --new-password-file
    QString image;           // upgrade --image
    bool keepGoing = false;  // upgrade --keep-going
    // set: the values to change; the device's others stay as they are.
    std::optional<QString> ip, mask, gateway, trapIp, name, location;
};

// Reads the arguments after the program's name.
CtlCommandLine ReadCtlCommandLine(const QStringList& arguments);

} // namespace fenwick::ctl
