// The main window's monitoring commands reach the core: the refresh time, the event log's view
// and clearing, the polling on the window's clock, and the TrapIndicator.
#include "core/monitor/liveness_polling.h"
#include "monitored_device.h"
#include "window_rig.h"
#include "windows/kestrel_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace fenwick::testing {

namespace {

QColor IndicatorCentre(const QWidget& window) {
    const QLabel& light = *FindControl<QLabel>(window, QStringLiteral("Trap indicator"));
    const QImage picture = light.pixmap().toImage();
    return picture.pixelColor(picture.width() / 2, picture.height() / 2);
}

bool IndicatorIsRed(const QWidget& window) {
    const QColor centre = IndicatorCentre(window);
    return centre.red() > centre.green() + 60;
}

bool IndicatorIsGreen(const QWidget& window) {
    const QColor centre = IndicatorCentre(window);
    return centre.green() > centre.red() + 40;
}

} // namespace

class MonitoringCommandsTest final : public QObject {
    Q_OBJECT

private slots:
    void refreshTimeSetsTheInterval_data();
    void refreshTimeSetsTheInterval();
    void viewLogOpensTheLogInTheTextEditor();
    void clearLogEmptiesTheLog();
    void pollingRunsFromTheWindowsStart();
    void aTrapTurnsTheIndicatorRedAndViewTrapGreen();
};

void MonitoringCommandsTest::refreshTimeSetsTheInterval_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("seconds");
    QTest::newRow("30 secs") << QStringLiteral("30 secs") << 30;
    QTest::newRow("1 min") << QStringLiteral("1 min") << 60;
    QTest::newRow("2 mins") << QStringLiteral("2 mins") << 120;
    QTest::newRow("5 mins") << QStringLiteral("5 mins") << 300;
    QTest::newRow("15 secs after 5 mins") << QStringLiteral("15 secs") << 15;
}

void MonitoringCommandsTest::refreshTimeSetsTheInterval() {
    QFETCH(QString, item);
    QFETCH(int, seconds);

    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    QCOMPARE(rig.core->State().RefreshSeconds, 15);
    const auto choose = [&](const QString& text) {
        FindMenuItem(*rig.window, {QStringLiteral("Option"), QStringLiteral("Refresh time"), text})
            ->trigger();
    };
    choose(QStringLiteral("5 mins"));
    choose(item);
    QCOMPARE(rig.core->State().RefreshSeconds, seconds);
}

void MonitoringCommandsTest::viewLogOpensTheLogInTheTextEditor() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    FindMenuItem(*rig.window, {QStringLiteral("View"), QStringLiteral("View log")})->trigger();
    QCOMPARE(rig.launcher.textEditorFiles, QStringList{rig.core->Log().Path()});
    QVERIFY(rig.core->Log().Path().endsWith(QLatin1String("/cfg/syslog.log")));
}

void MonitoringCommandsTest::clearLogEmptiesTheLog() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    QVERIFY(rig.core->Log().AppendToSyslog("01/05/2004 09:30:00 10.77.0.1 Not alive \r\n") == 0);
    FindMenuItem(*rig.window, {QStringLiteral("View"), QStringLiteral("Clear log")})->trigger();
    QFile log(rig.core->Log().Path());
    QVERIFY(log.exists());
    QCOMPARE(log.size(), 0);
}

void MonitoringCommandsTest::pollingRunsFromTheWindowsStart() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    MonitorDevice(*rig.core);
    rig.clock.Advance(0);
    QCOMPARE(rig.network.sent.size(), std::size_t{1});
    const MemoryNetwork::Sent& poll = rig.network.sent.front();
    QCOMPARE(poll.fromPort, std::uint16_t(kRigBasePort + 1));
    QCOMPARE(poll.address, kRigDeviceIp);
    QCOMPARE(poll.port, std::uint16_t(kRigBasePort + 2));
    QCOMPARE(DecodeHeader(poll.bytes).CommandCode, std::uint16_t(kCommandPoll));
    QCOMPARE(DecodeHeader(poll.bytes).AgentKey, kRigAgentKey);

    FindMenuItem(*rig.window, {QStringLiteral("File"), QStringLiteral("Exit")})->trigger();
    rig.clock.Advance(LivenessPolling::kTickMilliseconds * 12);
    QCOMPARE(rig.network.sent.size(), std::size_t{1});
    QVERIFY(rig.prompts.boxes.empty());
}

void MonitoringCommandsTest::aTrapTurnsTheIndicatorRedAndViewTrapGreen() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    MonitorDevice(*rig.core);
    QVERIFY(IndicatorIsGreen(*rig.window));

    QVERIFY(
        rig.network.Deliver(kRigBasePort + 1, TrapFrom(kRigDeviceIp, "cold start"), kRigDeviceIp));
    QVERIFY(IndicatorIsRed(*rig.window));

    bool greenWhileOpen = false;
    OnNextModal(
        [&] {
            QTest::mouseClick(FindControl<QPushButton>(*rig.window, QStringLiteral("View trap")),
                              Qt::LeftButton);
        },
        [&](QWidget&) { greenWhileOpen = IndicatorIsGreen(*rig.window); });
    QVERIFY(greenWhileOpen);
    QVERIFY(IndicatorIsGreen(*rig.window));
}

} // namespace fenwick::testing

int RunMonitoringCommandsTests(int argc, char** argv) {
    fenwick::testing::MonitoringCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "monitoring_commands_test.moc"
