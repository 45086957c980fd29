// fenwickctl as a script runs it, against the lab's switches: what it prints, what it changes
// on the switches, and its exit status. Switches by position in the lab's settings: 0 and 1 are
// upgraded, 2 refuses images, 3 is configured, 4 is in loader mode.
#include "codec/device_record.h"
#include "codec/monitor_records.h"
#include "codec/text_forms.h"
#include "e2e/image_files.h"
#include "e2e/link_capture.h"
#include "fenwick-switch/settings_file.h"
#include "fenwick-switch/switch_control.h"
#include "support/core_rig.h"
#include "support/wait_until.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <signal.h>
#include <sys/socket.h>

namespace fenwick::testing {
namespace {

struct CtlRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class CtlInTheLab : public ::testing::Test {
protected:
    void SetUp() override {
        const std::optional<sim::NetworkSettings> settings = Switches();
        if (!settings) {
            GTEST_SKIP() << "not inside the lab (FENWICK_LAB_CONTROL)";
        }
        lab = *settings;
        ASSERT_GE(lab.switches.size(), 5u);
        ASSERT_TRUE(WriteDefinitionFile(ConfigFolder(), lab.agentKey, lab.basePort));
    }

    QString ConfigFolder() const { return folder.path() + QStringLiteral("/cfg"); }
    std::string IpText(std::size_t position) const {
        return AddressText(lab.switches.at(position).ip);
    }
    QString Ip(std::size_t position) const { return QString::fromStdString(IpText(position)); }

    // The switches as they are now, their stored values included.
    static std::optional<sim::NetworkSettings> Switches() {
        const std::string path = qEnvironmentVariable("FENWICK_LAB_CONTROL").toStdString();
        if (path.empty()) {
            return std::nullopt;
        }
        const std::optional<std::string> listed = sim::SwitchControl(path).Run("list");
        if (!listed) {
            return std::nullopt;
        }
        std::string error;
        const std::string text =
            "agent-key = " + qEnvironmentVariable("FENWICK_LAB_AGENT_KEY").toStdString() +
            "\nbase-port = " + qEnvironmentVariable("FENWICK_LAB_BASE_PORT").toStdString() + "\n" +
            *listed;
        return sim::ParseSettingsText(text, error);
    }

    void Control(const std::string& command) {
        EXPECT_TRUE(sim::SwitchControl(qEnvironmentVariable("FENWICK_LAB_CONTROL").toStdString())
                        .Run(command)
                        .has_value())
            << command;
    }

    // fenwickctl with `arguments` after --config-dir, its passwords only from `environment`.
    QProcess* Start(const QStringList& arguments, const QStringList& environment = {}) {
        auto* process = new QProcess(&processes);
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.remove(QStringLiteral("FENWICK_PASSWORD"));
        variables.remove(QStringLiteral("FENWICK_NEW_PASSWORD"));
        for (const QString& variable : environment) {
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        }
        process->setProcessEnvironment(variables);
        process->start(QStringLiteral(FENWICK_CTL),
                       QStringList{QStringLiteral("--config-dir"), ConfigFolder()} + arguments);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }

    CtlRun Run(const QStringList& arguments, const QStringList& environment = {}) {
        QProcess* process = Start(arguments, environment);
        process->closeWriteChannel(); // no terminal to ask on
        EXPECT_TRUE(process->waitForFinished(300000)) << arguments.join(u' ').toStdString();
        CtlRun run{process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
                   QString::fromUtf8(process->readAllStandardOutput()),
                   QString::fromUtf8(process->readAllStandardError())};
        delete process;
        return run;
    }

    QString Image(const QString& name, qsizetype size) {
        return WriteRandomImage(folder.path() + u'/' + name, size,
                                static_cast<quint32>(size) ^ qHash(name));
    }

    static QByteArray Read(const QString& path) { return ReadFileBytes(path); }

    // The image the switch stored last (empty when none came yet), through the control channel.
    QByteArray StoredImage(std::size_t position) {
        const QString path = folder.path() + QStringLiteral("/stored-") + Ip(position);
        QFile::remove(path);
        sim::SwitchControl(qEnvironmentVariable("FENWICK_LAB_CONTROL").toStdString())
            .Run("image " + IpText(position) + " " + path.toStdString());
        return Read(path);
    }

    static QJsonArray JsonArray(const QString& text) {
        const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
        EXPECT_TRUE(document.isArray()) << text.toStdString();
        return document.array();
    }

    sim::NetworkSettings lab;
    QTemporaryDir folder;
    QObject processes;
};

TEST_F(CtlInTheLab, DiscoverJsonHoldsEverySwitchAsItsSettingsSaySortedByAddress) {
    const CtlRun run = Run({QStringLiteral("--json"), QStringLiteral("discover")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray devices = JsonArray(run.out);
    ASSERT_EQ(devices.size(), static_cast<qsizetype>(lab.switches.size())) << run.out.toStdString();
    for (qsizetype i = 0; i < devices.size(); ++i) {
        const QJsonObject device = devices[i].toObject();
        const sim::SwitchSettings& expected = lab.switches[static_cast<std::size_t>(i)];
        SCOPED_TRACE(device[QStringLiteral("ip")].toString().toStdString());
        EXPECT_EQ(device[QStringLiteral("ip")].toString().toStdString(), AddressText(expected.ip));
        EXPECT_EQ(device[QStringLiteral("mac")].toString().toStdString(), MacText(expected.mac));
        EXPECT_EQ(device[QStringLiteral("loader_mode")].toBool(), expected.loader);
        if (expected.loader) {
            continue; // a loader answers without its names
        }
        EXPECT_EQ(device[QStringLiteral("product")].toString().toStdString(), expected.product);
        EXPECT_EQ(device[QStringLiteral("system_name")].toString().toStdString(),
                  expected.systemName);
        EXPECT_EQ(device[QStringLiteral("location")].toString().toStdString(), expected.location);
        EXPECT_EQ(device[QStringLiteral("trap_ip")].toString().toStdString(),
                  AddressText(expected.trapReceiver));
        EXPECT_EQ(device[QStringLiteral("subnet_mask")].toString().toStdString(),
                  AddressText(expected.subnetMask));
        EXPECT_EQ(device[QStringLiteral("gateway")].toString().toStdString(),
                  AddressText(expected.gateway));
        EXPECT_EQ(device[QStringLiteral("version")].toString(), QStringLiteral("2.001.001"));
    }

    const CtlRun shown = Run({QStringLiteral("show"), QStringLiteral("--json"),
                              QString::fromStdString(MacText(lab.switches[1].mac)).toUpper()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(shown.out.toUtf8()).object(), devices[1].toObject());
}

TEST_F(CtlInTheLab, SetAndPasswordChangeWhatTheSwitchStores) {
    const QString password = folder.path() + QStringLiteral("/password");
    QFile file(password);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(lab.switches[3].password.c_str()) + "\nnot this line\n");
    file.close();

    const CtlRun set =
        Run({QStringLiteral("set"), Ip(3), QStringLiteral("--name"), QStringLiteral("core-7"),
             QStringLiteral("--location"), QStringLiteral("rack 7"), QStringLiteral("--trap-ip"),
             QStringLiteral("10.77.0.9"), QStringLiteral("--password-file"), password});
    EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_TRUE(set.err.contains(QStringLiteral("Set Successful"))) << set.err.toStdString();
    std::optional<sim::NetworkSettings> now = Switches();
    ASSERT_TRUE(now);
    EXPECT_EQ(now->switches[3].systemName, "core-7");
    EXPECT_EQ(now->switches[3].location, "rack 7");
    EXPECT_EQ(AddressText(now->switches[3].trapReceiver), "10.77.0.9");
    EXPECT_EQ(now->switches[3].ip, lab.switches[3].ip) << "a value not named stays";
    EXPECT_EQ(now->switches[3].subnetMask, lab.switches[3].subnetMask);

    const CtlRun changed =
        Run({QStringLiteral("password"), Ip(3)},
            {QStringLiteral("FENWICK_PASSWORD=") + QString::fromStdString(lab.switches[3].password),
             QStringLiteral("FENWICK_NEW_PASSWORD=s3cret")});
    EXPECT_EQ(changed.exitCode, 0) << changed.err.toStdString();
    now = Switches();
    ASSERT_TRUE(now);
    EXPECT_EQ(now->switches[3].password, "s3cret");
    EXPECT_EQ(now->switches[3].systemName, "core-7") << "the password change keeps the rest";

    const CtlRun refused = Run(
        {QStringLiteral("set"), Ip(3), QStringLiteral("--name"), QStringLiteral("other")},
        {QStringLiteral("FENWICK_PASSWORD=") + QString::fromStdString(lab.switches[3].password)});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("password error")))
        << refused.err.toStdString();
    now = Switches();
    ASSERT_TRUE(now);
    EXPECT_EQ(now->switches[3].systemName, "core-7");
}

TEST_F(CtlInTheLab, UpgradesTwoSwitchesInTurnEachWithTheWholeImage) {
    const QString image = Image(QStringLiteral("rack.hex"), 40 * 1024 + 77);
    const CtlRun run =
        Run({QStringLiteral("upgrade"), QStringLiteral("--json"), QStringLiteral("--image"), image,
             Ip(0), QString::fromStdString(MacText(lab.switches[1].mac))},
            {QStringLiteral("FENWICK_PASSWORD=admin")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray results = JsonArray(run.out);
    ASSERT_EQ(results.size(), 2);
    for (qsizetype i = 0; i < 2; ++i) {
        const QJsonObject result = results[i].toObject();
        EXPECT_EQ(result[QStringLiteral("result")].toString(), QStringLiteral("ok"))
            << result[QStringLiteral("reason")].toString().toStdString();
        EXPECT_EQ(result[QStringLiteral("ip")].toString(), Ip(static_cast<std::size_t>(i)));
        EXPECT_GT(result[QStringLiteral("seconds")].toDouble(), 0.0);
    }
    EXPECT_EQ(StoredImage(0), Read(image));
    EXPECT_EQ(StoredImage(1), Read(image));
}

TEST_F(CtlInTheLab, AFailureMidRackStopsTheRestUnlessKeepGoing) {
    Control("tftp-error " + IpText(2) + " 3 Disk full");
    const QString image = Image(QStringLiteral("next.hex"), 20 * 1024);
    const QByteArray before = StoredImage(1);
    const QStringList rack = {QStringLiteral("upgrade"),
                              QStringLiteral("--json"),
                              QStringLiteral("--image"),
                              image,
                              Ip(2),
                              Ip(1)};
    const QStringList password = {QStringLiteral("FENWICK_PASSWORD=admin")};

    const CtlRun stopped = Run(rack, password);
    EXPECT_EQ(stopped.exitCode, 1);
    QJsonArray results = JsonArray(stopped.out);
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0].toObject()[QStringLiteral("result")].toString(), QStringLiteral("failed"));
    EXPECT_TRUE(results[0].toObject()[QStringLiteral("reason")].toString().contains(
        QStringLiteral("Disk full")))
        << stopped.out.toStdString();
    EXPECT_EQ(results[1].toObject()[QStringLiteral("result")].toString(),
              QStringLiteral("skipped"));
    EXPECT_EQ(StoredImage(1), before) << "nothing went to the skipped switch";

    const CtlRun kept = Run(rack + QStringList{QStringLiteral("--keep-going")}, password);
    EXPECT_EQ(kept.exitCode, 1);
    results = JsonArray(kept.out);
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0].toObject()[QStringLiteral("result")].toString(), QStringLiteral("failed"));
    EXPECT_EQ(results[1].toObject()[QStringLiteral("result")].toString(), QStringLiteral("ok"))
        << kept.err.toStdString();
    EXPECT_EQ(StoredImage(1), Read(image));
    Control("tftp-error " + IpText(2) + " off");
}

TEST_F(CtlInTheLab, WatchPrintsEachTrapOfTheMonitorListAsJsonAndLogsIt) {
    // The monitor list the window would have saved: switch 0 only.
    DeviceRecord record = ZeroRecord();
    SetFieldText(record.IpText, IpText(0));
    SetFieldText(record.MacText, MacText(lab.switches[0].mac));
    record.IpAddress = lab.switches[0].ip;
    const std::vector<std::uint8_t> bytes = EncodeMonitorFile(std::span(&record, 1));
    QFile monitor(ConfigFolder() + QStringLiteral("/monitor.cfg"));
    ASSERT_TRUE(monitor.open(QIODevice::WriteOnly));
    monitor.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    monitor.close();

    QProcess* watch = Start({QStringLiteral("--json"), QStringLiteral("watch")});
    QString err;
    ASSERT_TRUE(WaitUntil([&] {
        watch->waitForReadyRead(50);
        err += QString::fromUtf8(watch->readAllStandardError());
        return err.contains(QStringLiteral("receiving traps"));
    })) << err.toStdString();
    Control("trap " + IpText(1) + " not monitored");
    Control("trap " + IpText(0) + " port 3 link up");
    QString out;
    ASSERT_TRUE(WaitUntil([&] {
        watch->waitForReadyRead(50);
        out += QString::fromUtf8(watch->readAllStandardOutput());
        return out.contains(u'\n');
    })) << "the line came only at the end, or never";
    kill(static_cast<pid_t>(watch->processId()), SIGTERM);
    ASSERT_TRUE(watch->waitForFinished(10000));
    EXPECT_EQ(watch->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch->exitCode(), 0);
    out += QString::fromUtf8(watch->readAllStandardOutput());

    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << out.toStdString();
    const QJsonObject trap = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    EXPECT_EQ(trap[QStringLiteral("ip")].toString(), Ip(0));
    EXPECT_EQ(trap[QStringLiteral("event")].toString(), QStringLiteral("port 3 link up"));
    // The test runs five and a half hours east of UTC (see lab_test_main.cpp).
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\+05:30$)"))
                    .match(trap[QStringLiteral("time")].toString())
                    .hasMatch())
        << trap[QStringLiteral("time")].toString().toStdString();
    const QByteArray log = Read(ConfigFolder() + QStringLiteral("/syslog.log"));
    EXPECT_TRUE(log.endsWith(QByteArray(" ") + IpText(0).c_str() + " Trap :port 3 link up\r\n"))
        << log.toStdString();
    EXPECT_FALSE(log.contains("not monitored"));
}

TEST_F(CtlInTheLab, BadInputEndsWithItsStatusAndChangesNothing) {
    // The agents' port, where every request goes.
    const auto agentPort = static_cast<std::uint16_t>(lab.basePort + 2);
    const QString empty = folder.path() + QStringLiteral("/empty");
    const QString password = QStringLiteral("FENWICK_PASSWORD=admin");
    struct Case {
        const char* what;
        QStringList arguments;
        QStringList environment;
        int exitCode;
        const char* said;
        bool sendsDiscovery; // the mistake shows only once the device is found
    };
    const Case cases[] = {
        {"bad MAC",
         {QStringLiteral("show"), QStringLiteral("00:11:22:33:44")},
         {},
         2,
         "neither a MAC",
         false},
        {"bad address",
         {QStringLiteral("set"), Ip(3), QStringLiteral("--ip"), QStringLiteral("10.77.1.300")},
         {password},
         2,
         "is not a dotted",
         false},
        {"unknown option",
         {QStringLiteral("discover"), QStringLiteral("--colour")},
         {},
         2,
         "'colour'",
         false},
        {"missing password",
         {QStringLiteral("set"), Ip(3), QStringLiteral("--name"), QStringLiteral("x")},
         {},
         2,
         "no password",
         false},
        {"device in loader mode",
         {QStringLiteral("set"), Ip(4), QStringLiteral("--name"), QStringLiteral("x")},
         {password},
         1,
         "Agent is in loader mode, it can't set",
         true},
        {"name too long",
         {QStringLiteral("set"), Ip(3), QStringLiteral("--name"), QString(21, u'n')},
         {password},
         2,
         "System name lengths between 0-20",
         true},
        {"no definition file",
         {QStringLiteral("--config-dir"), empty, QStringLiteral("discover")},
         {},
         3,
         "define.ecf",
         false},
    };
    const std::optional<sim::NetworkSettings> before = Switches();
    ASSERT_TRUE(before);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LinkCapture capture(
            qEnvironmentVariable("FENWICK_LAB_MANAGER_LINKS").section(u' ', 0, 0).toStdString());
        ASSERT_TRUE(capture.IsOpen());
        const CtlRun run = Run(c.arguments, c.environment);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(c.said))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        const std::size_t sent = capture.Take(agentPort).size();
        EXPECT_EQ(sent, c.sendsDiscovery ? 1u : 0u) << "datagrams to the agents";
    }
    const std::optional<sim::NetworkSettings> after = Switches();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->switches, before->switches);

    // A port held by another program (fenwick itself, most likely).
    const int holder = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(lab.basePort);
    ASSERT_EQ(bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const CtlRun held = Run({QStringLiteral("discover")});
    close(holder);
    EXPECT_EQ(held.exitCode, 3);
    EXPECT_TRUE(held.err.contains(QStringLiteral("fenwick may be running")))
        << held.err.toStdString();
}

TEST_F(CtlInTheLab, CtrlCStopsARolloutAndStillSaysWhatBecameOfEachDevice) {
    const QString image = Image(QStringLiteral("stopped.hex"), 16 * 1024);
    const QByteArray before = StoredImage(1);
    QProcess* upgrade = Start({QStringLiteral("upgrade"), QStringLiteral("--json"),
                               QStringLiteral("--image"), image, Ip(0), Ip(1)},
                              {QStringLiteral("FENWICK_PASSWORD=admin")});
    upgrade->closeWriteChannel();
    // Past the discovery, somewhere in the first device's upgrade.
    QThread::msleep(3000);
    kill(static_cast<pid_t>(upgrade->processId()), SIGINT);
    ASSERT_TRUE(upgrade->waitForFinished(10000)) << "Ctrl+C did not stop it";
    EXPECT_EQ(upgrade->exitStatus(), QProcess::NormalExit) << "it died instead of ending";
    EXPECT_EQ(upgrade->exitCode(), 1);
    const QJsonArray results = JsonArray(QString::fromUtf8(upgrade->readAllStandardOutput()));
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0].toObject()[QStringLiteral("result")].toString(), QStringLiteral("failed"));
    EXPECT_EQ(results[0].toObject()[QStringLiteral("reason")].toString(),
              QStringLiteral("interrupted"));
    EXPECT_EQ(results[1].toObject()[QStringLiteral("result")].toString(),
              QStringLiteral("skipped"));
    EXPECT_EQ(StoredImage(1), before) << "nothing went to the device after the stop";
}

// Last: it leaves a switch restarting and the manager's link without its route.
TEST_F(CtlInTheLab, AnUpgradeNotConfirmedFailsAndNeverHangs) {
    const QString image = Image(QStringLiteral("late.hex"), 8 * 1024);
    const QStringList password = {QStringLiteral("FENWICK_PASSWORD=admin")};

    Control("restart-delay " + IpText(1) + " 60");
    const CtlRun late = Run({QStringLiteral("upgrade"), QStringLiteral("--json"),
                             QStringLiteral("--image"), image, Ip(1)},
                            password);
    EXPECT_EQ(late.exitCode, 1);
    QJsonArray results = JsonArray(late.out);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].toObject()[QStringLiteral("reason")].toString(),
              QStringLiteral("the device did not come back"));
    EXPECT_EQ(StoredImage(1), Read(image)) << "the transfer itself went through";

    // The link goes down once the image is in: the confirmation's discovery cannot go out, no
    // result box ever comes, and the command must still end.
    const std::string link =
        qEnvironmentVariable("FENWICK_LAB_MANAGER_LINKS").section(u' ', 0, 0).toStdString();
    const QByteArray before = StoredImage(0);
    QProcess* upgrade = Start({QStringLiteral("upgrade"), QStringLiteral("--json"),
                               QStringLiteral("--image"), image, Ip(0)},
                              password);
    upgrade->closeWriteChannel();
    ASSERT_TRUE(WaitUntil(
        [&] {
            QThread::msleep(250); // each look that finds no image yet is a line of the switches'
            return StoredImage(0) == Read(image);
        },
        30000))
        << "the image never arrived";
    ASSERT_EQ(std::system(("ip link set dev " + link + " down").c_str()), 0);
    const bool ended = upgrade->waitForFinished(40000);
    EXPECT_EQ(std::system(("ip link set dev " + link + " up").c_str()), 0);
    ASSERT_TRUE(ended) << "the command waited for a result that could not come";
    EXPECT_EQ(upgrade->exitCode(), 1);
    results = JsonArray(QString::fromUtf8(upgrade->readAllStandardOutput()));
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].toObject()[QStringLiteral("result")].toString(), QStringLiteral("failed"));
    EXPECT_NE(before, Read(image));
}

} // namespace
} // namespace fenwick::testing
