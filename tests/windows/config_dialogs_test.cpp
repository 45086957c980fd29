// The configuration, password and "Remote IP" dialogs: opened from the main window's buttons,
// their keys, tab order, accessible names, and what a failed check leaves.
#include "codec/text_forms.h"
#include "monitored_device.h"
#include "window_rig.h"
#include "windows/ip_address_edit.h"
#include "windows/kestrel_dlg.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace fenwick::testing {

namespace {

const QString kConfiguration = QStringLiteral("Configuration setting");
const QString kPassword = QStringLiteral("Password change");

// A monitored device that the configuration commands take, selected in the Monitor List.
void SelectUsableDevice(ManagerCore& core) {
    MonitorDevice(core);
    DeviceRecord& entry = core.State().MonitorTable[0];
    entry.ProtocolVersion = 2;
    entry.InterfaceVersion = 1;
    SetFieldText(entry.ProductName, "ES-8");
    SetFieldText(entry.SystemName, "core");
    SetFieldText(entry.Location, "rack 2");
    entry.SubnetMask = 0xFFFF0000;
    core.MonitorSelection().SelectRow(0);
}

void Press(QWidget& window, const QString& button) {
    FindControl<QPushButton>(window, button)->click();
}

// The control that holds the focus: an IP address control for any of its fields.
QString FocusedControl() {
    QWidget* focused = QApplication::focusWidget();
    for (QWidget* w = focused; w != nullptr; w = w->parentWidget()) {
        if (qobject_cast<IpAddressEdit*>(w) != nullptr) {
            return w->accessibleName();
        }
    }
    return focused == nullptr ? QString() : focused->accessibleName();
}

void Type(QWidget& dialog, const QString& field, const QString& text) {
    QLineEdit* edit = FindControl<QLineEdit>(dialog, field);
    QVERIFY(edit != nullptr);
    edit->setText(text);
}

} // namespace

class ConfigDialogsTest final : public QObject {
    Q_OBJECT

private slots:
    void enterAndEscapeKeepTheDialogOpen_data();
    void enterAndEscapeKeepTheDialogOpen();
    void aFailedCheckKeepsTheDialogAndItsContents_data();
    void aFailedCheckKeepsTheDialogAndItsContents();
    void theConfigurationDialogShowsTheDeviceAndSetSends();
    void tabOrderStartsAtTheFirstField_data();
    void tabOrderStartsAtTheFirstField();
    void everyControlIsNamedAfterItsLabel_data();
    void everyControlIsNamedAfterItsLabel();
    void remoteIpAppliesWithEnterAndCancelsWithEscape();
    void textsOutsideLatin1AreRefusedAsTypedOrPasted_data();
    void textsOutsideLatin1AreRefusedAsTypedOrPasted();
    void webAccessStartsTheBrowserOnTheAddress();
    void onlyALeftDoubleClickInTheMonitorListOpensTheWeb();
};

void ConfigDialogsTest::enterAndEscapeKeepTheDialogOpen_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    for (const QString& button : {kConfiguration, kPassword}) {
        QTest::addRow("%s Enter", qPrintable(button)) << button << int(Qt::Key_Return);
        QTest::addRow("%s Escape", qPrintable(button)) << button << int(Qt::Key_Escape);
    }
}

void ConfigDialogsTest::enterAndEscapeKeepTheDialogOpen() {
    QFETCH(QString, button);
    QFETCH(int, key);
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    SelectUsableDevice(*rig.core);
    const std::size_t sentBefore = rig.network.sent.size();
    bool stayedOpen = false;
    bool seen = false;
    OnNextModal([&] { Press(*rig.window, button); },
                [&](QWidget& dialog) {
                    seen = true;
                    // Enter on the "Set" button itself, and Escape anywhere.
                    QWidget* target = FindControl<QPushButton>(dialog, QStringLiteral("Set"));
                    target->setFocus();
                    QTest::keyClick(target, Qt::Key(key));
                    QTest::keyClick(&dialog, Qt::Key(key));
                    stayedOpen = dialog.isVisible();
                    Press(dialog, QStringLiteral("Cancel"));
                });
    QVERIFY(seen);
    QVERIFY(stayedOpen);
    QVERIFY(rig.prompts.boxes.empty());
    QCOMPARE(rig.network.sent.size(), sentBefore);
}

void ConfigDialogsTest::aFailedCheckKeepsTheDialogAndItsContents_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box");
    QTest::newRow("system name of 21")
        << kConfiguration << QStringLiteral("System name") << QString(21, u's')
        << QStringLiteral("System name lengths between 0-20");
    QTest::newRow("new password of 21")
        << kPassword << QStringLiteral("New password") << QString(21, u'p')
        << QStringLiteral("Password length between 1-20  ");
}

void ConfigDialogsTest::aFailedCheckKeepsTheDialogAndItsContents() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, box);
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    SelectUsableDevice(*rig.core);
    const std::size_t sentBefore = rig.network.sent.size();
    bool stayedOpen = false;
    QString kept;
    OnNextModal([&] { Press(*rig.window, button); },
                [&](QWidget& dialog) {
                    Type(dialog, field, text);
                    Type(dialog,
                         button == kPassword ? QStringLiteral("Original password")
                                             : QStringLiteral("Password"),
                         QStringLiteral("secret"));
                    Press(dialog, QStringLiteral("Set"));
                    stayedOpen = dialog.isVisible();
                    kept = FindControl<QLineEdit>(dialog, field)->text();
                });
    QVERIFY(stayedOpen);
    QCOMPARE(kept, text);
    QCOMPARE(rig.prompts.boxes.size(), std::size_t{1});
    QCOMPARE(rig.prompts.boxes.front().text, box);
    QCOMPARE(rig.network.sent.size(), sentBefore);
}

void ConfigDialogsTest::theConfigurationDialogShowsTheDeviceAndSetSends() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    SelectUsableDevice(*rig.core);
    const std::size_t sentBefore = rig.network.sent.size();
    QStringList shown;
    bool closed = false;
    OnNextModal(
        [&] { Press(*rig.window, kConfiguration); },
        [&](QWidget& dialog) {
            for (const char* name :
                 {"Product name", "MAC Address", "System name", "Location", "Password"}) {
                shown << FindControl<QLineEdit>(dialog, QLatin1String(name))->text();
            }
            shown << QString::fromStdString(AddressText(
                FindControl<IpAddressEdit>(dialog, QStringLiteral("IP Address"))->Address()));
            shown << QString::fromStdString(AddressText(
                FindControl<IpAddressEdit>(dialog, QStringLiteral("Subnet mask"))->Address()));
            Type(dialog, QStringLiteral("Password"), QStringLiteral("secret"));
            Press(dialog, QStringLiteral("Set"));
            closed = !dialog.isVisible();
        });
    QCOMPARE(shown, (QStringList{QStringLiteral("ES-8"), QStringLiteral("000a5b000001"),
                                 QStringLiteral("core"), QStringLiteral("rack 2"), QString(),
                                 QStringLiteral("10.77.0.1"), QStringLiteral("255.255.0.0")}));
    QVERIFY(closed);
    QVERIFY(rig.prompts.boxes.empty());
    QCOMPARE(rig.network.sent.size(), sentBefore + 1);
    QCOMPARE(rig.network.sent.back().address, kRigDeviceIp);
}

void ConfigDialogsTest::tabOrderStartsAtTheFirstField_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("configuration")
        << kConfiguration
        << QStringList{QStringLiteral("IP Address"),  QStringLiteral("Subnet mask"),
                       QStringLiteral("Gateway"),     QStringLiteral("Set trap to"),
                       QStringLiteral("System name"), QStringLiteral("Location"),
                       QStringLiteral("Password"),    QStringLiteral("Set"),
                       QStringLiteral("Cancel"),      QStringLiteral("IP Address")};
    QTest::newRow("password") << kPassword
                              << QStringList{QStringLiteral("Original password"),
                                             QStringLiteral("New password"),
                                             QStringLiteral("Confirm password"),
                                             QStringLiteral("Set"),
                                             QStringLiteral("Cancel"),
                                             QStringLiteral("Original password")};
    QTest::newRow("remote") << QStringLiteral("Add item")
                            << QStringList{QStringLiteral("IP Address"), QStringLiteral("Apply"),
                                           QStringLiteral("Cancel"), QStringLiteral("IP Address")};
}

void ConfigDialogsTest::tabOrderStartsAtTheFirstField() {
    QFETCH(QString, button);
    QFETCH(QStringList, order);
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    SelectUsableDevice(*rig.core);
    QStringList visited;
    OnNextModal([&] { Press(*rig.window, button); },
                [&](QWidget& dialog) {
                    dialog.activateWindow();
                    QApplication::setActiveWindow(&dialog);
                    for (int step = 0; step < order.size(); ++step) {
                        visited << FocusedControl();
                        // Tab leaves an IP address control from any of its fields.
                        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    }
                });
    QCOMPARE(visited, order);
}

void ConfigDialogsTest::everyControlIsNamedAfterItsLabel_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("labels");
    QTest::newRow("configuration") << kConfiguration << 9;
    QTest::newRow("password") << kPassword << 3;
    QTest::newRow("remote") << QStringLiteral("Add item") << 1;
}

void ConfigDialogsTest::everyControlIsNamedAfterItsLabel() {
    QFETCH(QString, button);
    QFETCH(int, labels);
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    SelectUsableDevice(*rig.core);
    QStringList unnamed;
    QStringList labelsWithoutControl;
    int labelCount = 0;
    OnNextModal([&] { Press(*rig.window, button); },
                [&](QWidget& dialog) {
                    // The labels of the layout; an IP address control's dots are labels of its own.
                    const QWidget* client = dialog.findChild<QWidget*>(QStringLiteral("client"));
                    for (QLabel* label :
                         client->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
                        ++labelCount;
                        const bool named =
                            FindControl<QLineEdit>(dialog, label->text()) != nullptr ||
                            FindControl<IpAddressEdit>(dialog, label->text()) != nullptr;
                        if (!named) {
                            labelsWithoutControl << label->text();
                        }
                    }
                    for (QPushButton* push : dialog.findChildren<QPushButton*>()) {
                        if (push->accessibleName() != push->text()) {
                            unnamed << push->text();
                        }
                    }
                    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
                        if (edit->accessibleName().isEmpty()) {
                            unnamed << edit->objectName();
                        }
                    }
                });
    QCOMPARE(labelCount, labels);
    QCOMPARE(labelsWithoutControl, QStringList());
    QCOMPARE(unnamed, QStringList());
}

void ConfigDialogsTest::remoteIpAppliesWithEnterAndCancelsWithEscape() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    OnNextModal([&] { Press(*rig.window, QStringLiteral("Add item")); },
                [&](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(rig.core->MonitorList().RowCount(), 0);

    // Enter on a focused "Cancel" cancels, whatever the address holds.
    bool closed = false;
    OnNextModal([&] { Press(*rig.window, QStringLiteral("Add item")); },
                [&](QWidget& dialog) {
                    FindControl<IpAddressEdit>(dialog, QStringLiteral("IP Address"))
                        ->SetAddress(0x0A4D0303);
                    auto* cancel = FindControl<QPushButton>(dialog, QStringLiteral("Cancel"));
                    dialog.activateWindow();
                    QApplication::setActiveWindow(&dialog);
                    cancel->setFocus();
                    QTest::keyClick(cancel, Qt::Key_Return);
                    closed = !dialog.isVisible();
                });
    QVERIFY(closed);
    QCOMPARE(rig.core->MonitorList().RowCount(), 0);

    bool stayedOpen = false;
    OnNextModal([&] { Press(*rig.window, QStringLiteral("Add item")); },
                [&](QWidget& dialog) {
                    auto* address =
                        FindControl<IpAddressEdit>(dialog, QStringLiteral("IP Address"));
                    QLineEdit* field = address->findChild<QLineEdit*>();
                    address->SetAddress(0x7F000001); // refused: the dialog stays
                    QTest::keyClick(field, Qt::Key_Return);
                    stayedOpen = dialog.isVisible();
                    address->SetAddress(0x0A4D0202);
                    QTest::keyClick(field, Qt::Key_Return);
                });
    QVERIFY(stayedOpen);
    QCOMPARE(rig.prompts.boxes.size(), std::size_t{1});
    QCOMPARE(rig.prompts.boxes.front().caption, QStringLiteral(" Error"));
    QCOMPARE(rig.core->MonitorList().RowCount(), 1);
    QCOMPARE(rig.core->MonitorList().Text(0, 1), QStringLiteral("10.77.2.2"));
}

void ConfigDialogsTest::textsOutsideLatin1AreRefusedAsTypedOrPasted_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    for (const char* field : {"System name", "Location", "Password"}) {
        QTest::addRow("%s", field) << kConfiguration << QString::fromLatin1(field);
    }
    for (const char* field : {"Original password", "New password", "Confirm password"}) {
        QTest::addRow("%s", field) << kPassword << QString::fromLatin1(field);
    }
}

void ConfigDialogsTest::textsOutsideLatin1AreRefusedAsTypedOrPasted() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    SelectUsableDevice(*rig.core);
    QString typed;
    QString pasted;
    OnNextModal([&] { Press(*rig.window, button); },
                [&](QWidget& dialog) {
                    QLineEdit* edit = FindControl<QLineEdit>(dialog, field);
                    edit->clear();
                    // Typed one key at a time, each with the character it makes.
                    for (const QChar c : QStringLiteral("\u00E9\u20AC\u0142\u2192x")) {
                        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c),
                                            Qt::NoModifier);
                    }
                    typed = edit->text();
                    QGuiApplication::clipboard()->setText(QStringLiteral("ab\u20AC"));
                    edit->paste();
                    QGuiApplication::clipboard()->setText(QStringLiteral("\u00FC"));
                    edit->paste();
                    pasted = edit->text();
                });
    QCOMPARE(typed, QStringLiteral("\u00E9x"));
    QCOMPARE(pasted, QStringLiteral("\u00E9x\u00FC"));
}

void ConfigDialogsTest::webAccessStartsTheBrowserOnTheAddress() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    SelectUsableDevice(*rig.core);
    Press(*rig.window, QStringLiteral("Web access"));
    QCOMPARE(rig.launcher.browserUrls, QStringList{QStringLiteral("http://10.77.0.1")});
}

void ConfigDialogsTest::onlyALeftDoubleClickInTheMonitorListOpensTheWeb() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    SelectUsableDevice(*rig.core);
    auto* list = FindControl<QTreeView>(*rig.window, QStringLiteral("Monitor List"));
    QVERIFY(list != nullptr);
    const QPoint row = list->visualRect(list->model()->index(0, 1)).center();
    const QPoint blank(row.x(), list->viewport()->height() - 4);
    QVERIFY(!list->indexAt(blank).isValid());
    // A double click arrives as press, release, double click.
    const auto doubleClick = [&](Qt::MouseButton button, QPoint at) {
        QTest::mouseClick(list->viewport(), button, {}, at);
        QTest::mouseDClick(list->viewport(), button, {}, at);
    };

    doubleClick(Qt::RightButton, row);
    doubleClick(Qt::MiddleButton, row);
    QCOMPARE(rig.launcher.browserUrls, QStringList());
    QVERIFY(rig.prompts.boxes.empty());

    doubleClick(Qt::LeftButton, row);
    QCOMPARE(rig.launcher.browserUrls, QStringList{QStringLiteral("http://10.77.0.1")});

    rig.core->MonitorSelection().SelectRow(0);
    doubleClick(Qt::LeftButton, blank);
    QCOMPARE(rig.launcher.browserUrls.size(), 1);
    QCOMPARE(rig.prompts.boxes.size(), std::size_t{1});
    QCOMPARE(rig.prompts.boxes.front().text,
             QStringLiteral("Please select one device in the monitor list"));
}

} // namespace fenwick::testing

int RunConfigDialogsTests(int argc, char** argv) {
    fenwick::testing::ConfigDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "config_dialogs_test.moc"
