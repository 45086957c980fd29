// The command lines of fenwick and fenwick-define, answered by the built executables. Every
// fenwick case here ends at the command line, before the program builds anything.
#include "fenwick_version.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace fenwick {
namespace {

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs `program` without a display: a command line answered before the window system is
// touched needs none. A fenwick that started by mistake stops at its first box, the missing
// define.ecf of the empty `home`, before any socket exists; it is killed after the wait.
Finished RunProgram(const QString& program, const QStringList& arguments, const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Finished run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TEST(CommandLine, HelpVersionAndMistakesExitWithoutStarting) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString empty = home.path();
    const QString fenwick = QStringLiteral(FENWICK_PROGRAM);
    const QString define = QStringLiteral(FENWICK_DEFINE_TOOL);
    const QString version = QStringLiteral(FENWICK_VERSION);
    struct Case {
        QString program;
        QStringList arguments;
        int exitCode;
        QString out; // what standard output starts with; empty: nothing at all
        QString err; // what standard error starts with; empty: nothing at all
    };
    const QString usage = QStringLiteral("Usage: fenwick [options]\n");
    const QString defineUsage = QStringLiteral("usage: fenwick-define [--force] KEY PORT FILE\n");
    const auto dir = [&](QStringList arguments) {
        // Were the mistake taken, the program would stop at the empty folder's missing file.
        return arguments << QStringLiteral("--config-dir") << empty;
    };
    const Case cases[] = {
        {fenwick, {QStringLiteral("--help")}, 0, usage, {}},
        {fenwick, {QStringLiteral("-h")}, 0, usage, {}},
        {fenwick, dir({QStringLiteral("--help")}), 0, usage, {}},
        {fenwick,
         {QStringLiteral("--version")},
         0,
         QStringLiteral("Fenwick ") + version + u'\n',
         {}},
        {fenwick,
         dir({QStringLiteral("--bogus")}),
         2,
         {},
         QStringLiteral("fenwick: Unknown option 'bogus'.\n\n") + usage},
        {fenwick,
         dir({QStringLiteral("-x")}),
         2,
         {},
         QStringLiteral("fenwick: Unknown option 'x'.\n\n") + usage},
        {fenwick,
         dir({QStringLiteral("monitor.cfg")}),
         2,
         {},
         QStringLiteral("fenwick: Unexpected argument 'monitor.cfg'.\n\n") + usage},
        {fenwick,
         {QStringLiteral("--config-dir")},
         2,
         {},
         QStringLiteral("fenwick: Missing value after '--config-dir'.\n\n") + usage},
        {fenwick,
         {QStringLiteral("--config-dir="), QStringLiteral("--bogus")},
         2,
         {},
         QStringLiteral("fenwick: Unknown option 'bogus'.")},
        {fenwick,
         {QStringLiteral("--config-dir=")},
         2,
         {},
         QStringLiteral("fenwick: --config-dir needs a folder.\n\n") + usage},
        {define, {QStringLiteral("--help")}, 0, defineUsage, {}},
        {define, {QStringLiteral("-h")}, 0, defineUsage, {}},
        {define,
         {QStringLiteral("--version")},
         0,
         QStringLiteral("fenwick-define ") + version + u'\n',
         {}},
        {define,
         {QStringLiteral("--bogus")},
         2,
         {},
         QStringLiteral("fenwick-define: expected KEY PORT FILE\n") + defineUsage},
        // Only the file's own folder is made: a mistyped path must not leave folders.
        {define,
         {QStringLiteral("1A2B3C4D"), QStringLiteral("8080"),
          empty + QStringLiteral("/typo/fenwick/define.ecf")},
         1,
         {},
         QStringLiteral("fenwick-define: cannot create ") + empty +
             QStringLiteral("/typo/fenwick/define.ecf: No such file or directory (the folder "
                            "that holds its folder is missing)\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((QDir(c.program).dirName() + u' ' + c.arguments.join(u' ')).toStdString());
        const Finished run = RunProgram(c.program, c.arguments, empty);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(c.out.isEmpty() ? run.out.isEmpty() : run.out.startsWith(c.out))
            << run.out.toStdString();
        EXPECT_TRUE(c.err.isEmpty() ? run.err.isEmpty() : run.err.startsWith(c.err))
            << run.err.toStdString();
        EXPECT_TRUE(QDir(empty).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            << "nothing was made in the configuration folder";
    }
}

TEST(CommandLine, HelpNamesEveryOptionAndWhereTheFilesLive) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const Finished run =
        RunProgram(QStringLiteral(FENWICK_PROGRAM), {QStringLiteral("--help")}, home.path());
    ASSERT_EQ(run.exitCode, 0);
    for (const char* part :
         {"-h, --help", "--version", "--config-dir <DIR>", "~/.config/fenwick",
          "$XDG_CONFIG_HOME/fenwick", "/etc/fenwick/define.ecf", "cfg beside the executable"}) {
        EXPECT_TRUE(run.out.contains(QLatin1String(part))) << part;
    }
    // A terminal and the manual pages show the help as it stands.
    for (const char* program : {FENWICK_PROGRAM, FENWICK_DEFINE_TOOL}) {
        const Finished help =
            RunProgram(QString::fromLocal8Bit(program), {QStringLiteral("--help")}, home.path());
        ASSERT_EQ(help.exitCode, 0) << program;
        for (const QString& line : help.out.split(u'\n')) {
            EXPECT_LE(line.size(), 80) << line.toStdString();
        }
    }
}

} // namespace
} // namespace fenwick
