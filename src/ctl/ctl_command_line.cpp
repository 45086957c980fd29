#include "ctl_command_line.h"

#include "fenwick_version.h"

#include <QCommandLineParser>
#include <array>

namespace fenwick::ctl {
namespace {

struct CommandInfo {
    Command command;
    const char* name;
    const char* arguments; // the usage line's tail
    int fewestDevices;
    int mostDevices;     // -1: no limit
    const char* options; // the command's own options, space-separated
    const char* summary;
};

constexpr std::array kCommands{
    CommandInfo{Command::Discover, "discover", "[--wait SECONDS]", 0, 0, "wait",
                "One discovery: every device that answers within the wait."},
    CommandInfo{Command::Show, "show", "DEVICE", 1, 1, "",
                "One device's values; exit 1 when it does not answer."},
    CommandInfo{Command::Set, "set",
                "DEVICE [--ip A] [--mask M] [--gateway G] [--trap-ip T] [--name TEXT] "
                "[--location TEXT]",
                1, 1, "ip mask gateway trap-ip name location password-file",
                "Changes a device's addresses and names; its other values stay."},
    CommandInfo{Command::Password, "password", "DEVICE", 1, 1, "password-file new-password-file",
                "Changes a device's password."},
    CommandInfo{Command::Upgrade, "upgrade", "--image FILE [--keep-going] DEVICE...", 1, -1,
                "image keep-going password-file",
                "Upgrades each device in turn with one image, each confirmed."},
    CommandInfo{Command::Watch, "watch", "", 0, 0, "",
                "Prints every trap as it arrives, until interrupted."},
};

const CommandInfo* FindCommand(const QString& name) {
    for (const CommandInfo& info : kCommands) {
        if (name == QLatin1String(info.name)) {
            return &info;
        }
    }
    return nullptr;
}

QString Usage() {
    QString text = QStringLiteral(
        "Usage: fenwickctl [--config-dir DIR] [--json] COMMAND [ARGS]\n"
        "\n"
        "Drives the switches of the local network from scripts, on Fenwick's own files:\n"
        "the configuration folder is chosen as fenwick chooses it.\n"
        "\n"
        "Commands:\n");
    for (const CommandInfo& info : kCommands) {
        text += QStringLiteral("  %1 %2\n")
                    .arg(QLatin1String(info.name), -9)
                    .arg(QLatin1String(info.summary));
    }
    text += QStringLiteral(
        "\n"
        "A DEVICE is a MAC address (12 hexadecimal digits, with or without : or -\n"
        "between pairs) or a dotted IPv4 address. Passwords are never arguments:\n"
        "--password-file FILE or FENWICK_PASSWORD (for password also\n"
        "--new-password-file FILE or FENWICK_NEW_PASSWORD), else asked on a terminal.\n"
        "\n"
        "Exit: 0 done; 1 a device refused, failed or did not answer; 2 usage or a\n"
        "value that fails its check; 3 the environment (no usable define.ecf, a port\n"
        "in use, no usable interface).\n"
        "'fenwickctl COMMAND --help' says more of one command.\n");
    return text;
}

QString CommandUsage(const CommandInfo& info) {
    return QStringLiteral("Usage: fenwickctl [--config-dir DIR] [--json] %1 %2\n\n%3\n")
        .arg(QLatin1String(info.name), QLatin1String(info.arguments), QLatin1String(info.summary));
}

} // namespace

CtlCommandLine ReadCtlCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const auto valued = [](const char* name, const char* value) {
        return QCommandLineOption(QLatin1String(name), QString(), QLatin1String(value));
    };
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption keepGoing(QStringLiteral("keep-going"));
    const std::array valuedOptions{
        valued("config-dir", "DIR"),
        valued("wait", "SECONDS"),
        valued("ip", "A"),
        valued("mask", "M"),
        valued("gateway", "G"),
        valued("trap-ip", "T"),
        valued("name", "TEXT"),
        valued("location", "TEXT"),
        valued("password-file", "FILE"),
        valued("new-password-file", "FILE"),
        valued("image", "FILE"),
    };
    parser.addOptions({help, version, json, keepGoing});
    for (const QCommandLineOption& option : valuedOptions) {
        parser.addOption(option);
    }

    CtlCommandLine result;
    const auto error = [&](const QString& why) {
        result.outcome = CtlCommandLine::Outcome::Error;
        result.message = QStringLiteral("fenwickctl: %1\nTry 'fenwickctl --help'.\n").arg(why);
        return result;
    };
    if (!parser.parse(QStringList{QStringLiteral("fenwickctl")} + arguments)) {
        return error(parser.errorText());
    }
    const QStringList positional = parser.positionalArguments();
    const CommandInfo* info = positional.isEmpty() ? nullptr : FindCommand(positional.first());
    if (parser.isSet(version)) {
        result.outcome = CtlCommandLine::Outcome::Version;
        result.message = QStringLiteral("fenwickctl %1\n").arg(QLatin1String(FENWICK_VERSION));
        return result;
    }
    if (parser.isSet(help)) {
        result.outcome = CtlCommandLine::Outcome::Help;
        result.message = info != nullptr ? CommandUsage(*info) : Usage();
        return result;
    }
    if (positional.isEmpty()) {
        return error(QStringLiteral("no command given"));
    }
    if (info == nullptr) {
        return error(QStringLiteral("unknown command '%1'").arg(positional.first()));
    }
    result.command = info->command;

    // An option of another command is a mistake here, not something to ignore silently.
    const QStringList own = QString::fromLatin1(info->options).split(u' ', Qt::SkipEmptyParts);
    for (const QString& name : parser.optionNames()) {
        const bool everywhere =
            name == QLatin1String("config-dir") || name == QLatin1String("json");
        if (!everywhere && !own.contains(name)) {
            return error(QStringLiteral("%1 takes no --%2").arg(QLatin1String(info->name), name));
        }
    }
    const auto single = [&](const char* name) -> std::optional<QString> {
        const QString option = QLatin1String(name);
        if (!parser.isSet(option)) {
            return std::nullopt;
        }
        return parser.values(option).constLast();
    };

    result.devices = positional.mid(1);
    const auto count = static_cast<int>(result.devices.size());
    if (count < info->fewestDevices || (info->mostDevices >= 0 && count > info->mostDevices)) {
        return error(
            info->mostDevices == 0
                ? QStringLiteral("%1 takes no DEVICE").arg(QLatin1String(info->name))
            : info->mostDevices == 1
                ? QStringLiteral("%1 takes one DEVICE").arg(QLatin1String(info->name))
                : QStringLiteral("%1 takes at least one DEVICE").arg(QLatin1String(info->name)));
    }
    result.configFolder = single("config-dir").value_or(QString());
    result.json = parser.isSet(json);
    if (const auto wait = single("wait")) {
        bool number = false;
        result.waitSeconds = wait->toInt(&number);
        if (!number || result.waitSeconds < 1 || result.waitSeconds > 3600) {
            return error(QStringLiteral("--wait takes whole seconds from 1 to 3600"));
        }
    }
    result.passwordFile = single("password-file").value_or(QString());
    result.newPasswordFile = single("new-password-file").value_or(QString());
    result.image = single("image").value_or(QString());
    result.keepGoing = parser.isSet(keepGoing);
    if (result.command == Command::Upgrade && result.image.isEmpty()) {
        return error(QStringLiteral("upgrade needs --image FILE"));
    }
    result.ip = single("ip");
    result.mask = single("mask");
    result.gateway = single("gateway");
    result.trapIp = single("trap-ip");
    result.name = single("name");
    result.location = single("location");
    return result;
}

} // namespace fenwick::ctl
