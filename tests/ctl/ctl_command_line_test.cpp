// fenwickctl's command line: what each command takes, options on either side of the command,
// and every mistake refused (exit 2) before anything is built.
#include "ctl/ctl_command_line.h"

#include <gtest/gtest.h>

namespace fenwick::ctl {
namespace {

CtlCommandLine Read(const QString& line) {
    return ReadCtlCommandLine(line.split(u' ', Qt::SkipEmptyParts));
}

TEST(CtlCommandLine, ReadsEachCommandWithItsOptionsOnEitherSide) {
    const CtlCommandLine discover = Read(QStringLiteral("--json discover --wait 5"));
    ASSERT_EQ(discover.outcome, CtlCommandLine::Outcome::Run) << discover.message.toStdString();
    EXPECT_EQ(discover.command, Command::Discover);
    EXPECT_TRUE(discover.json);
    EXPECT_EQ(discover.waitSeconds, 5);

    const CtlCommandLine set = Read(QStringLiteral(
        "set 00:0a:5b:1c:2d:3e --ip 10.77.1.9 --config-dir /tmp/x --name=core-2 --json"));
    ASSERT_EQ(set.outcome, CtlCommandLine::Outcome::Run) << set.message.toStdString();
    EXPECT_EQ(set.command, Command::Set);
    EXPECT_EQ(set.devices, QStringList{QStringLiteral("00:0a:5b:1c:2d:3e")});
    EXPECT_EQ(set.ip, QStringLiteral("10.77.1.9"));
    EXPECT_EQ(set.name, QStringLiteral("core-2"));
    EXPECT_FALSE(set.mask.has_value()) << "a value not given stays as the device has it";
    EXPECT_EQ(set.configFolder, QStringLiteral("/tmp/x"));
    EXPECT_TRUE(set.json);

    const CtlCommandLine upgrade = Read(QStringLiteral(
        "upgrade --image fw.hex 10.77.1.1 10.77.1.2 --keep-going --password-file pw"));
    ASSERT_EQ(upgrade.outcome, CtlCommandLine::Outcome::Run) << upgrade.message.toStdString();
    EXPECT_EQ(upgrade.image, QStringLiteral("fw.hex"));
    EXPECT_EQ(upgrade.devices.size(), 2);
    EXPECT_TRUE(upgrade.keepGoing);
    EXPECT_EQ(upgrade.passwordFile, QStringLiteral("pw"));

    EXPECT_EQ(Read(QStringLiteral("watch")).command, Command::Watch);
    EXPECT_EQ(Read(QStringLiteral("discover")).waitSeconds, 2);
}

TEST(CtlCommandLine, HelpAndVersionAnswerWithoutACommandToRun) {
    const CtlCommandLine help = Read(QStringLiteral("--help"));
    EXPECT_EQ(help.outcome, CtlCommandLine::Outcome::Help);
    EXPECT_TRUE(help.message.contains(QStringLiteral("upgrade"))) << "every command listed";
    const CtlCommandLine setHelp = Read(QStringLiteral("set --help"));
    EXPECT_EQ(setHelp.outcome, CtlCommandLine::Outcome::Help);
    EXPECT_TRUE(setHelp.message.contains(QStringLiteral("--trap-ip"))) << "the command's own";
    const CtlCommandLine version = Read(QStringLiteral("--version"));
    EXPECT_EQ(version.outcome, CtlCommandLine::Outcome::Version);
    EXPECT_TRUE(version.message.startsWith(QStringLiteral("fenwickctl ")));
}

TEST(CtlCommandLine, RefusesMistakesSayingWhat) {
    struct Case {
        const char* line;
        const char* said;
    };
    const Case cases[] = {
        {"", "no command"},
        {"reboot", "unknown command 'reboot'"},
        {"discover --frobnicate", "frobnicate"},
        {"discover 10.77.1.1", "discover takes no DEVICE"},
        {"show", "show takes one DEVICE"},
        {"show 10.77.1.1 10.77.1.2", "show takes one DEVICE"},
        {"upgrade --image fw.hex", "at least one DEVICE"},
        {"upgrade 10.77.1.1", "--image FILE"},
        {"show 10.77.1.1 --ip 10.77.1.2", "show takes no --ip"},
        {"discover --keep-going", "discover takes no --keep-going"},
        {"set 10.77.1.1 --new-password-file f", "set takes no --new-password-file"},
        {"discover --wait 0", "--wait takes whole seconds"},
        {"discover --wait soon", "--wait takes whole seconds"},
        {"set 10.77.1.1 --ip", "ip"},
    };
    for (const Case& c : cases) {
        const CtlCommandLine read = Read(QString::fromLatin1(c.line));
        EXPECT_EQ(read.outcome, CtlCommandLine::Outcome::Error) << c.line;
        EXPECT_TRUE(read.message.contains(QString::fromLatin1(c.said)))
            << c.line << ": " << read.message.toStdString();
    }
}

} // namespace
} // namespace fenwick::ctl
