// The upgrade window: opened beside the main window by "Firmware upgrade", one at a time, its
// controls, keys and tab order, its stillness during the trigger's wait, the progress of a
// transfer, and its closing.
#include "codec/text_forms.h"
#include "core/firmware/tftp_transfer.h"
#include "monitored_device.h"
#include "window_rig.h"
#include "windows/firmware_upgrade_dlg.h"
#include "windows/kestrel_dlg.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace fenwick::testing {

namespace {

constexpr std::uint16_t kTftpPort = TftpTransfer::kLocalPort;

// A rig whose monitored device can be upgraded, selected in the Monitor List.
struct UpgradeRig : WindowRig<CKestrelDlg> {
    bool OpenWithDevice() {
        if (!Open()) {
            return false;
        }
        MonitorDevice(*core);
        DeviceRecord& entry = core->State().MonitorTable[0];
        entry.ProtocolVersion = 2;
        entry.InterfaceVersion = 1;
        core->MonitorSelection().SelectRow(0);
        image = root.path() + QStringLiteral("/firmware.hex");
        QFile file(image);
        return file.open(QIODevice::WriteOnly) && file.write(QByteArray(1024, 'f')) == 1024;
    }

    void PressUpgrade() {
        FindControl<QPushButton>(*window, QStringLiteral("Firmware upgrade"))->click();
    }

    // The open upgrade windows.
    static QList<CFirmwareUpgradeDlg*> UpgradeWindows() {
        QList<CFirmwareUpgradeDlg*> open;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* upgrade = qobject_cast<CFirmwareUpgradeDlg*>(widget);
                upgrade != nullptr && upgrade->isVisible()) {
                open << upgrade;
            }
        }
        return open;
    }

    // Types the password and the image and presses "Start".
    void Start(CFirmwareUpgradeDlg& upgrade) {
        FindControl<QLineEdit>(upgrade, QStringLiteral("Password"))
            ->setText(QStringLiteral("admin"));
        FindControl<QLineEdit>(upgrade, QStringLiteral("Firmware Path"))->setText(image);
        FindControl<QPushButton>(upgrade, QStringLiteral("Start"))->click();
    }

    void AcknowledgeTrigger() {
        PacketHeader header;
        header.ProtocolVersion = kProtocolVersion;
        header.Direction = kDirectionReply;
        header.Mac = {0x00, 0x0a, 0x5b, 0x00, 0x00, 0x01};
        header.CommandCode = kCommandUpgradeTriggerReply;
        header.AgentKey = kRigAgentKey;
        header.Sequence = core->State().Reply.SetSequence;
        std::vector<std::uint8_t> bytes(kHeaderLength);
        EncodeHeader(header, std::span<std::uint8_t, kHeaderLength>(bytes.data(), kHeaderLength));
        network.Deliver(kRigBasePort, bytes, kRigDeviceIp);
    }

    void TftpAck(std::uint16_t block) {
        network.Deliver(
            kTftpPort,
            {0, 4, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)},
            kRigDeviceIp);
    }

    static QString Text(QWidget& upgrade, const QString& field) {
        return FindControl<QLineEdit>(upgrade, field)->text();
    }

    QTemporaryDir root;
    QString image;
};

} // namespace

class FirmwareUpgradeDlgTest final : public QObject {
    Q_OBJECT

private slots:
    void opensBesideTheMainWindowWithTheDevice();
    void aSecondUpgradeBringsTheOpenWindowForward();
    void tabOrderFromCancelFollowsTheTemplate();
    void enterAndEscapeDoNothing();
    void takesNoInputWhileWaitingForTheAcknowledgement();
    void showsTheTransferAndClosesWhenItEnds();
    void cancelClosesAndFreesTheTransferPort();
    void cancellingBrowseEmptiesThePath();
};

void FirmwareUpgradeDlgTest::opensBesideTheMainWindowWithTheDevice() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    SetFieldText(rig.core->State().Upgrade.FirmwarePath, "/srv/last.hex");
    rig.PressUpgrade();
    const QList<CFirmwareUpgradeDlg*> open = UpgradeRig::UpgradeWindows();
    QCOMPARE(open.size(), 1);
    CFirmwareUpgradeDlg& upgrade = *open[0];
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(upgrade.parentWidget() == nullptr);
    QCOMPARE(upgrade.windowTitle(), QStringLiteral("Firmware Upgrade"));
    QCOMPARE(UpgradeRig::Text(upgrade, QStringLiteral("Device IP")), QStringLiteral("10.77.0.1"));
    QCOMPARE(UpgradeRig::Text(upgrade, QStringLiteral("Device Mac")),
             QStringLiteral("000a5b000001"));
    QCOMPARE(UpgradeRig::Text(upgrade, QStringLiteral("Firmware Path")),
             QStringLiteral("/srv/last.hex"));
    QVERIFY(FindControl<QLineEdit>(upgrade, QStringLiteral("Device IP"))->isReadOnly());
    QVERIFY(FindControl<QLineEdit>(upgrade, QStringLiteral("Upgrade State"))->isReadOnly());
    QCOMPARE(FindControl<QLineEdit>(upgrade, QStringLiteral("Password"))->echoMode(),
             QLineEdit::Password);
    QVERIFY(FindControl<QProgressBar>(upgrade, QStringLiteral("Upgrade progress")) != nullptr);
    QVERIFY(FindControl<QPushButton>(upgrade, QStringLiteral("Browse")) != nullptr);
    // The main window goes on working.
    QVERIFY(rig.window->isEnabled());
    upgrade.close();
}

void FirmwareUpgradeDlgTest::aSecondUpgradeBringsTheOpenWindowForward() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    rig.PressUpgrade();
    QCOMPARE(UpgradeRig::UpgradeWindows().size(), 1);
    CFirmwareUpgradeDlg* first = UpgradeRig::UpgradeWindows()[0];
    // Even with nothing selected, the open window comes forward rather than a refusal.
    rig.core->MonitorSelection().DeselectAll();
    rig.PressUpgrade();
    QCOMPARE(UpgradeRig::UpgradeWindows().size(), 1);
    QCOMPARE(UpgradeRig::UpgradeWindows()[0], first);
    QVERIFY(rig.prompts.boxes.empty());

    // Once closed, the next press opens a new one for the selected device.
    first->close();
    QCoreApplication::sendPostedEvents();
    rig.core->MonitorSelection().SelectRow(0);
    rig.PressUpgrade();
    QCOMPARE(UpgradeRig::UpgradeWindows().size(), 1);
    UpgradeRig::UpgradeWindows()[0]->close();
}

void FirmwareUpgradeDlgTest::tabOrderFromCancelFollowsTheTemplate() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    rig.PressUpgrade();
    CFirmwareUpgradeDlg& upgrade = *UpgradeRig::UpgradeWindows().value(0);
    upgrade.activateWindow();
    QApplication::setActiveWindow(&upgrade);
    QStringList visited;
    for (int step = 0; step < 9; ++step) {
        visited << QApplication::focusWidget()->accessibleName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{QStringLiteral("Cancel"), QStringLiteral("Device Mac"),
                                   QStringLiteral("Start"), QStringLiteral("Password"),
                                   QStringLiteral("Device IP"), QStringLiteral("Firmware Path"),
                                   QStringLiteral("Upgrade State"), QStringLiteral("Browse"),
                                   QStringLiteral("Cancel")}));
    upgrade.close();
}

void FirmwareUpgradeDlgTest::enterAndEscapeDoNothing() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    rig.PressUpgrade();
    CFirmwareUpgradeDlg& upgrade = *UpgradeRig::UpgradeWindows().value(0);
    FindControl<QLineEdit>(upgrade, QStringLiteral("Password"))->setText(QStringLiteral("admin"));
    FindControl<QLineEdit>(upgrade, QStringLiteral("Firmware Path"))->setText(rig.image);
    const std::size_t sentBefore = rig.network.sent.size();
    for (const QString& control : {QStringLiteral("Start"), QStringLiteral("Cancel")}) {
        QWidget* button = FindControl<QPushButton>(upgrade, control);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Escape);
        QTest::keyClick(&upgrade, Qt::Key_Escape);
    }
    QVERIFY(upgrade.isVisible());
    QCOMPARE(rig.network.sent.size(), sentBefore);
    upgrade.close();
}

void FirmwareUpgradeDlgTest::takesNoInputWhileWaitingForTheAcknowledgement() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    rig.PressUpgrade();
    CFirmwareUpgradeDlg& upgrade = *UpgradeRig::UpgradeWindows().value(0);
    rig.Start(upgrade);
    QCOMPARE(UpgradeRig::Text(upgrade, QStringLiteral("Upgrade State")),
             QStringLiteral("Wait...."));
    QVERIFY(!FindControl<QPushButton>(upgrade, QStringLiteral("Cancel"))->isEnabled());
    upgrade.close(); // the close box too
    QVERIFY(upgrade.isVisible());
    QVERIFY(rig.window->isEnabled());

    rig.clock.Advance(2000);
    QVERIFY(FindControl<QPushButton>(upgrade, QStringLiteral("Cancel"))->isEnabled());
    QCOMPARE(UpgradeRig::Text(upgrade, QStringLiteral("Upgrade State")),
             QStringLiteral("Trigger fail"));
    upgrade.close();
    QVERIFY(!upgrade.isVisible());
}

void FirmwareUpgradeDlgTest::showsTheTransferAndClosesWhenItEnds() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    rig.PressUpgrade();
    QPointer<CFirmwareUpgradeDlg> upgrade = UpgradeRig::UpgradeWindows().value(0);
    rig.Start(*upgrade);
    rig.AcknowledgeTrigger();
    rig.clock.Advance(2000);
    QProgressBar* progress =
        FindControl<QProgressBar>(*upgrade, QStringLiteral("Upgrade progress"));
    rig.TftpAck(0);
    QCOMPARE(progress->value() * 2, progress->maximum()); // 512 of 1024 bytes
    rig.TftpAck(1);
    QCOMPARE(progress->value(), progress->maximum());
    QCOMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Upgrade State")),
             QStringLiteral("Upgrade...1024/1024 bytes"));
    rig.TftpAck(2); // the empty final block
    QCOMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Upgrade State")),
             QStringLiteral("Complete...1024/1024 bytes"));
    rig.TftpAck(3);
    // The device writes the image: the window waits, taking no input.
    upgrade->close();
    QVERIFY(upgrade->isVisible());
    rig.clock.Advance(5000);
    QVERIFY(!upgrade->isVisible());
    QCoreApplication::sendPostedEvents();
    QVERIFY(upgrade.isNull());
    QVERIFY(UpgradeRig::UpgradeWindows().isEmpty());
}

void FirmwareUpgradeDlgTest::cancelClosesAndFreesTheTransferPort() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    rig.PressUpgrade();
    CFirmwareUpgradeDlg& upgrade = *UpgradeRig::UpgradeWindows().value(0);
    rig.Start(upgrade);
    rig.AcknowledgeTrigger();
    rig.clock.Advance(2000);
    QVERIFY(rig.network.BoundTo(kTftpPort) != nullptr);
    FindControl<QPushButton>(upgrade, QStringLiteral("Cancel"))->click();
    QVERIFY(!upgrade.isVisible());
    QVERIFY(rig.network.BoundTo(kTftpPort) == nullptr);
    QCOMPARE(rig.core->State().Upgrade.UpgradeBytesSent, 0u);
}

void FirmwareUpgradeDlgTest::cancellingBrowseEmptiesThePath() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    rig.PressUpgrade();
    CFirmwareUpgradeDlg& upgrade = *UpgradeRig::UpgradeWindows().value(0);
    rig.upgradePrompts.fileNames = {rig.image, QString()};
    FindControl<QPushButton>(upgrade, QStringLiteral("Browse"))->click();
    QCOMPARE(UpgradeRig::Text(upgrade, QStringLiteral("Firmware Path")), rig.image);
    FindControl<QPushButton>(upgrade, QStringLiteral("Browse"))->click();
    QCOMPARE(UpgradeRig::Text(upgrade, QStringLiteral("Firmware Path")), QString());
    upgrade.close();
}

} // namespace fenwick::testing

int RunFirmwareUpgradeDlgTests(int argc, char** argv) {
    fenwick::testing::FirmwareUpgradeDlgTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "firmware_upgrade_dlg_test.moc"
