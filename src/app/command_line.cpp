#include "command_line.h"

#include "fenwick_version.h"
#include "platform/config_folder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdlib>

namespace fenwick {
namespace {

// Kept within 80 columns, since a terminal and the manual page show it as it is.
QString Description() {
    return QStringLiteral(
               "Finds and watches the small managed Ethernet switches of the local network:\n"
               "discovery, monitor list, liveness polling, traps and event log, device\n"
               "configuration and firmware upgrade.\n"
               "\n"
               "Its files, define.ecf (the agent key and base port), monitor.cfg (the\n"
               "monitor list) and syslog.log (the event log), live in the first of:\n"
               "  DIR, when --config-dir DIR is given;\n"
               "  cfg beside the executable, when that folder exists (a portable copy);\n"
               "  $XDG_CONFIG_HOME/fenwick, or ~/.config/fenwick when XDG_CONFIG_HOME is\n"
               "  not set.\n"
               "The folder is made when a file is first written there. Where it holds no\n"
               "define.ecf, %1/define.ecf is read instead (not in a portable copy).")
        .arg(kSiteConfigFolder);
}

// Qt's usage line names the program as it was started; the manual page and a terminal read
// better with its bare name.
QString HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    if (QCoreApplication::arguments().isEmpty()) {
        return text; // started without even a name
    }
    const QString started = QCoreApplication::arguments().constFirst();
    text.replace(QStringLiteral("Usage: ") + started,
                 QStringLiteral("Usage: ") + QFileInfo(started).fileName());
    return text;
}

} // namespace

CommandLine ReadCommandLine(int argc, char** argv) {
    // A core application object only, for the arguments' encoding and the usage line; it ends
    // before the program's own application object is made.
    int count = argc;
    const QCoreApplication reading(count, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Fenwick"));
    QCoreApplication::setApplicationVersion(QStringLiteral(FENWICK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the program's version and exit."));
    const QCommandLineOption configDir(
        QStringLiteral("config-dir"),
        QStringLiteral("Keep define.ecf, monitor.cfg and syslog.log in DIR (made when first "
                       "written)."),
        QStringLiteral("DIR"));
    parser.addOptions({help, version, configDir});

    CommandLine result;
    const auto error = [&](const QString& why) {
        result.outcome = CommandLine::Outcome::Error;
        result.message = QStringLiteral("fenwick: %1\n\n%2").arg(why, HelpText(parser));
        return result;
    };
    if (!parser.parse(QCoreApplication::arguments())) {
        return error(parser.errorText());
    }
    if (parser.isSet(help)) {
        result.outcome = CommandLine::Outcome::Help;
        result.message = HelpText(parser);
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = CommandLine::Outcome::Version;
        result.message = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                       QCoreApplication::applicationVersion());
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return error(QStringLiteral("Unexpected argument '%1'.")
                         .arg(parser.positionalArguments().constFirst()));
    }
    if (parser.isSet(configDir)) {
        result.configFolder = parser.value(configDir);
        if (result.configFolder.isEmpty()) {
            return error(QStringLiteral("--config-dir needs a folder."));
        }
    }
    return result;
}

int ExitCode(CommandLine::Outcome outcome) {
    // 2 is the usual answer to a command line the program cannot use.
    return outcome == CommandLine::Outcome::Error ? 2 : EXIT_SUCCESS;
}

} // namespace fenwick
