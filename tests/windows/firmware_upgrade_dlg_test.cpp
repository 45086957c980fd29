// The upgrade window: opened beside the main window by "Firmware upgrade", one at a time, its
// controls, keys and tab order, its stillness during the trigger's wait, the progress of a
// transfer, its closing (never under a box or dialog of its own), and boxes that block only the
// window they belong to.
#include "codec/text_forms.h"
#include "core/firmware/tftp_transfer.h"
#include "core/firmware/upgrade_start.h"
#include "monitored_device.h"
#include "window_rig.h"
#include "windows/firmware_upgrade_dlg.h"
#include "windows/kestrel_dlg.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>

namespace fenwick::testing {

namespace {

constexpr std::uint16_t kTftpPort = TftpTransfer::kLocalPort;

// A rig whose monitored device can be upgraded, selected in the Monitor List.
struct UpgradeRig : WindowRig<CKestrelDlg> {
    // Opens the rig (unless it was opened already) with the device selected and an image.
    bool OpenWithDevice(bool open = true) {
        if (open && !Open()) {
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

    // Presses "Firmware upgrade" and returns the one upgrade window then open; null, and the
    // test failed at the caller's line, when there is none or more than one.
    QPointer<CFirmwareUpgradeDlg> OpenUpgradeWindow(const char* file = __builtin_FILE(),
                                                    int line = __builtin_LINE()) {
        PressUpgrade();
        return TheOpenWindow<CFirmwareUpgradeDlg>(file, line);
    }

    // An upgrade acknowledged and under way: the write request is out.
    void BeginTransfer(CFirmwareUpgradeDlg& upgrade) {
        Start(upgrade);
        AcknowledgeTrigger();
        clock.Advance(2000);
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
    void theImageCannotChangeAndStartIsNotOfferedWhileAnUpgradeRuns();
    void aTransferEndingUnderTheFileDialogClosesTheWindowOnceTheDialogIs();
    void aDeviceErrorUnderABoxOfTheWindowClosesItOnceTheBoxIs();
    void aBoxOfTheUpgradeWindowLeavesTheMainWindowUsable();
    void aDialogOfTheMainWindowLeavesTheUpgradeWindowUsable();
};

namespace {

// A real left click at the centre of `control`, delivered to its window through the window
// system as a person's click is: a window blocked by a modal box or dialog never receives it.
void ClickAsAPerson(QWidget& control) {
    QWindow* window = control.window()->windowHandle();
    QVERIFY(window != nullptr);
    QTest::mouseClick(window, Qt::LeftButton, {},
                      control.mapTo(control.window(), control.rect().center()));
}

// Runs `inside` once the next modal box or dialog is open, then closes that box or dialog.
void WhileTheNextModalIsOpen(std::function<void()> inside) {
    QTimer::singleShot(0, qApp, [inside = std::move(inside)] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        QVERIFY2(modal != nullptr, "no modal box or dialog opened");
        inside();
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    });
}

// Discovery requests sent: broadcasts with the discovery code (polls go to one address each).
std::size_t DiscoveryRequests(const MemoryNetwork& network) {
    return static_cast<std::size_t>(
        std::count_if(network.sent.begin(), network.sent.end(), [](const auto& sent) {
            return sent.address == 0xFFFFFFFF && sent.bytes.size() >= kHeaderLength &&
                   DecodeHeader(sent.bytes).CommandCode == kCommandDiscovery;
        }));
}

} // namespace

void FirmwareUpgradeDlgTest::opensBesideTheMainWindowWithTheDevice() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    SetFieldText(rig.core->State().Upgrade.FirmwarePath, "/srv/last.hex");
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(upgrade->parentWidget() == nullptr);
    QTRY_COMPARE(QApplication::activeWindow(), upgrade.data()); // in front, and active
    QCOMPARE(upgrade->windowTitle(), QStringLiteral("Firmware Upgrade"));
    QCOMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Device IP")), QStringLiteral("10.77.0.1"));
    QCOMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Device Mac")),
             QStringLiteral("000a5b000001"));
    QCOMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Firmware Path")),
             QStringLiteral("/srv/last.hex"));
    QVERIFY(FindControl<QLineEdit>(*upgrade, QStringLiteral("Device IP"))->isReadOnly());
    QVERIFY(FindControl<QLineEdit>(*upgrade, QStringLiteral("Upgrade State"))->isReadOnly());
    QCOMPARE(FindControl<QLineEdit>(*upgrade, QStringLiteral("Password"))->echoMode(),
             QLineEdit::Password);
    QVERIFY(FindControl<QProgressBar>(*upgrade, QStringLiteral("Upgrade progress")) != nullptr);
    QVERIFY(FindControl<QPushButton>(*upgrade, QStringLiteral("Browse")) != nullptr);
    // The main window goes on taking a person's input.
    ClickAsAPerson(*FindControl<QPushButton>(*rig.window, QStringLiteral("Discovery")));
    QCOMPARE(DiscoveryRequests(rig.network), std::size_t{1});
    // And so does the upgrade window: a person's click on "Cancel" closes it.
    ClickAsAPerson(*FindControl<QPushButton>(*upgrade, QStringLiteral("Cancel")));
    QVERIFY(UpgradeRig::UpgradeWindows().isEmpty());
}

void FirmwareUpgradeDlgTest::aSecondUpgradeBringsTheOpenWindowForward() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    QPointer<CFirmwareUpgradeDlg> first = rig.OpenUpgradeWindow();
    QVERIFY(first);
    QApplication::setActiveWindow(rig.window.get());
    // Even with nothing selected, the open window comes forward rather than a refusal.
    rig.core->MonitorSelection().DeselectAll();
    rig.PressUpgrade();
    QCOMPARE(UpgradeRig::UpgradeWindows().size(), 1);
    QCOMPARE(TheOpenWindow<CFirmwareUpgradeDlg>(), first.data());
    QTRY_COMPARE(QApplication::activeWindow(), first.data());
    QVERIFY(rig.prompts.boxes.empty());

    // Once closed, the next press opens a new one for the selected device.
    first->close();
    QCoreApplication::sendPostedEvents();
    rig.core->MonitorSelection().SelectRow(0);
    QPointer<CFirmwareUpgradeDlg> second = rig.OpenUpgradeWindow();
    QVERIFY(second);
    second->close();
}

void FirmwareUpgradeDlgTest::tabOrderFromCancelFollowsTheTemplate() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    upgrade->activateWindow();
    QApplication::setActiveWindow(upgrade);
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
    upgrade->close();
}

void FirmwareUpgradeDlgTest::enterAndEscapeDoNothing() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    FindControl<QLineEdit>(*upgrade, QStringLiteral("Password"))->setText(QStringLiteral("admin"));
    FindControl<QLineEdit>(*upgrade, QStringLiteral("Firmware Path"))->setText(rig.image);
    const std::size_t sentBefore = rig.network.sent.size();
    for (const QString& control : {QStringLiteral("Start"), QStringLiteral("Cancel")}) {
        QWidget* button = FindControl<QPushButton>(*upgrade, control);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Escape);
        QTest::keyClick(upgrade, Qt::Key_Escape);
    }
    QVERIFY(upgrade->isVisible());
    QCOMPARE(rig.network.sent.size(), sentBefore);
    upgrade->close();
}

void FirmwareUpgradeDlgTest::takesNoInputWhileWaitingForTheAcknowledgement() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    rig.Start(*upgrade);
    QTRY_COMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Upgrade State")),
                 QStringLiteral("Wait...."));
    QVERIFY(!FindControl<QPushButton>(*upgrade, QStringLiteral("Cancel"))->isEnabled());
    ClickAsAPerson(*FindControl<QPushButton>(*upgrade, QStringLiteral("Cancel")));
    upgrade->close(); // the close box too
    QVERIFY(upgrade->isVisible());
    // Meanwhile the main window takes a person's click.
    ClickAsAPerson(*FindControl<QPushButton>(*rig.window, QStringLiteral("Discovery")));
    QCOMPARE(DiscoveryRequests(rig.network), std::size_t{1});

    rig.clock.Advance(2000);
    QVERIFY(FindControl<QPushButton>(*upgrade, QStringLiteral("Cancel"))->isEnabled());
    QTRY_COMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Upgrade State")),
                 QStringLiteral("Trigger fail"));
    upgrade->close();
    QVERIFY(!upgrade->isVisible());
}

void FirmwareUpgradeDlgTest::showsTheTransferAndClosesWhenItEnds() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    rig.BeginTransfer(*upgrade);
    QProgressBar* progress =
        FindControl<QProgressBar>(*upgrade, QStringLiteral("Upgrade progress"));
    rig.TftpAck(0);
    QTRY_COMPARE(progress->text(), QStringLiteral("50%")); // 512 of 1024 bytes
    rig.TftpAck(1);
    QTRY_COMPARE(progress->text(), QStringLiteral("100%"));
    QTRY_COMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Upgrade State")),
                 QStringLiteral("Upgrade...1024/1024 bytes"));
    rig.TftpAck(2); // the empty final block
    QTRY_COMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Upgrade State")),
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
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    rig.BeginTransfer(*upgrade);
    QVERIFY(rig.network.BoundTo(kTftpPort) != nullptr);
    FindControl<QPushButton>(*upgrade, QStringLiteral("Cancel"))->click();
    QVERIFY(!upgrade->isVisible());
    QVERIFY(rig.network.BoundTo(kTftpPort) == nullptr);
    QCOMPARE(rig.core->State().Upgrade.UpgradeBytesSent, 0u);
}

void FirmwareUpgradeDlgTest::cancellingBrowseEmptiesThePath() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    rig.upgradePrompts.fileNames = {rig.image, QString()};
    FindControl<QPushButton>(*upgrade, QStringLiteral("Browse"))->click();
    QCOMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Firmware Path")), rig.image);
    FindControl<QPushButton>(*upgrade, QStringLiteral("Browse"))->click();
    QCOMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Firmware Path")), QString());
    upgrade->close();
}

void FirmwareUpgradeDlgTest::theImageCannotChangeAndStartIsNotOfferedWhileAnUpgradeRuns() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    const auto offered = [&upgrade] {
        return QList<bool>{
            FindControl<QPushButton>(*upgrade, QStringLiteral("Start"))->isEnabled(),
            FindControl<QPushButton>(*upgrade, QStringLiteral("Browse"))->isEnabled(),
            FindControl<QLineEdit>(*upgrade, QStringLiteral("Firmware Path"))->isEnabled()};
    };
    QCOMPARE(offered(), (QList<bool>{true, true, true}));
    rig.BeginTransfer(*upgrade);
    QCOMPARE(offered(), (QList<bool>{false, false, false}));
    rig.clock.Advance(10000); // the device never answers the write request
    QTRY_COMPARE(UpgradeRig::Text(*upgrade, QStringLiteral("Upgrade State")),
                 QStringLiteral("Device not found"));
    QCOMPARE(offered(), (QList<bool>{true, true, true}));
    upgrade->close();
}

void FirmwareUpgradeDlgTest::aTransferEndingUnderTheFileDialogClosesTheWindowOnceTheDialogIs() {
    MessageBoxPrompts boxes;
    UpgradeRig rig;
    QVERIFY(rig.Open(&boxes) && rig.OpenWithDevice(false));
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    bool ended = false;
    // "Browse" is open, and under it an upgrade (started by other means) runs to its end.
    WhileTheNextModalIsOpen([&] {
        QVERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr);
        rig.core->Upgrade().OnStart(QStringLiteral("admin"), rig.image);
        rig.AcknowledgeTrigger();
        rig.clock.Advance(2000);
        for (std::uint16_t block = 0; block <= 3; ++block) {
            rig.TftpAck(block);
        }
        rig.clock.Advance(5000);
        QCoreApplication::processEvents();
        ended = true;
        QVERIFY(upgrade); // its dialog still runs
    });
    FindControl<QPushButton>(*upgrade, QStringLiteral("Browse"))->click();
    QVERIFY(ended);
    QTRY_VERIFY(upgrade.isNull());
    QVERIFY(UpgradeRig::UpgradeWindows().isEmpty());
}

void FirmwareUpgradeDlgTest::aDeviceErrorUnderABoxOfTheWindowClosesItOnceTheBoxIs() {
    MessageBoxPrompts boxes;
    UpgradeRig rig;
    QVERIFY(rig.Open(&boxes) && rig.OpenWithDevice(false));
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    rig.BeginTransfer(*upgrade);
    QStringList shown;
    // The first block's send fails: its box opens; under it the device's error packet comes,
    // whose box opens over it.
    WhileTheNextModalIsOpen([&] {
        shown << qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->text();
        rig.network.sendError = 0;
        WhileTheNextModalIsOpen([&] {
            shown << qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->text();
        });
        const std::vector<std::uint8_t> error{0, 5, 0, 2, 'A', 'b', 'o', 'r', 't', 0};
        rig.network.Deliver(kTftpPort, error, kRigDeviceIp);
        QCoreApplication::processEvents();
        QVERIFY(upgrade); // the first box still runs
    });
    rig.network.sendError = 101;
    rig.TftpAck(0);
    QCOMPARE(shown, (QStringList{QStringLiteral("Upgrade fail!!!!"),
                                 QStringLiteral("Abort\nThe device will reboot, please wait for "
                                                "a few seconds")}));
    QTRY_VERIFY(upgrade.isNull());
    QCOMPARE(rig.core->Tftp().State(), TftpState::Idle);
}

void FirmwareUpgradeDlgTest::aBoxOfTheUpgradeWindowLeavesTheMainWindowUsable() {
    MessageBoxPrompts boxes;
    UpgradeRig rig;
    QVERIFY(rig.Open(&boxes) && rig.OpenWithDevice(false));
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    bool checked = false;
    WhileTheNextModalIsOpen([&] {
        QWidget* box = QApplication::activeModalWidget();
        QCOMPARE(box->parentWidget(), upgrade.data());
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        // The upgrade window waits for its box; the main window does not.
        ClickAsAPerson(*FindControl<QPushButton>(*upgrade, QStringLiteral("Cancel")));
        QVERIFY(upgrade->isVisible());
        ClickAsAPerson(*FindControl<QPushButton>(*rig.window, QStringLiteral("Discovery")));
        QCOMPARE(DiscoveryRequests(rig.network), std::size_t{1});
        checked = true;
    });
    FindControl<QPushButton>(*upgrade, QStringLiteral("Start"))->click(); // no password: a box
    QVERIFY(checked);
    upgrade->close();
}

void FirmwareUpgradeDlgTest::aDialogOfTheMainWindowLeavesTheUpgradeWindowUsable() {
    UpgradeRig rig;
    QVERIFY(rig.OpenWithDevice());
    QPointer<CFirmwareUpgradeDlg> upgrade = rig.OpenUpgradeWindow();
    QVERIFY(upgrade);
    bool checked = false;
    WhileTheNextModalIsOpen([&] {
        QWidget* dialog = QApplication::activeModalWidget();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Remote IP"));
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        ClickAsAPerson(*FindControl<QPushButton>(*rig.window, QStringLiteral("Discovery")));
        QCOMPARE(DiscoveryRequests(rig.network), std::size_t{0}); // the main window waits
        ClickAsAPerson(*FindControl<QPushButton>(*upgrade, QStringLiteral("Cancel")));
        QVERIFY(UpgradeRig::UpgradeWindows().isEmpty()); // the upgrade window does not
        checked = true;
    });
    FindControl<QPushButton>(*rig.window, QStringLiteral("Add item"))->click();
    QVERIFY(checked);
}

} // namespace fenwick::testing

int RunFirmwareUpgradeDlgTests(int argc, char** argv) {
    fenwick::testing::FirmwareUpgradeDlgTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "firmware_upgrade_dlg_test.moc"
