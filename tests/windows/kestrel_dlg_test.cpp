// Wiring of the main window: its controls as laid out, each command reaching its handler,
// Enter and Escape, the ways out, the selection rule by clicks, and the pictures.
#include "codec/packet_header.h"
#include "core/lists/list_view_model.h"
#include "fenwick_version.h"
#include "window_rig.h"
#include "windows/kestrel_dlg.h"

#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <cmath>

namespace fenwick::testing {

namespace {

// Records which handler a control reaches instead of running it.
class RecordingKestrelDlg final : public CKestrelDlg {
public:
    using CKestrelDlg::CKestrelDlg;

    QStringList calls;

protected:
    void OnDiscovery() override { Record(__func__); }
    void OnAddToMonitorList() override { Record(__func__); }
    void OnViewTrap() override { Record(__func__); }
    void OnAddItem() override { Record(__func__); }
    void OnDeleteItem() override { Record(__func__); }
    void OnConfigurationSetting() override { Record(__func__); }
    void OnPasswordChange() override { Record(__func__); }
    void OnFirmwareUpgrade() override { Record(__func__); }
    void OnWebAccess() override { Record(__func__); }
    void OnExit() override { Record(__func__); }
    void OnMonitorSave() override { Record(__func__); }
    void OnMonitorSaveAs() override { Record(__func__); }
    void OnMonitorLoad() override { Record(__func__); }
    void OnExportLists() override { Record(__func__); }
    void OnFileExit() override { Record(__func__); }
    void OnViewLog() override { Record(__func__); }
    void OnClearLog() override { Record(__func__); }
    void OnRefreshTime(int seconds) override { Record(__func__, seconds); }
    void OnAbout() override { Record(__func__); }
    void OnDiscoveryListDoubleClick() override { Record(__func__); }
    void OnMonitorListDoubleClick(bool onRow) override { Record(__func__, onRow ? 1 : 0); }
    void OnDiscoveryColumnClick(int column) override { Record(__func__, column); }
    void OnMonitorColumnClick(int column) override { Record(__func__, column); }

private:
    void Record(const char* handler) { calls << QLatin1String(handler); }
    void Record(const char* handler, int value) {
        calls << QStringLiteral("%1 %2").arg(QLatin1String(handler)).arg(value);
    }
};

const QSize kLayoutSize(403, 333);

const QStringList kRefreshTimes = {QStringLiteral("15 secs"), QStringLiteral("30 secs"),
                                   QStringLiteral("1 min"), QStringLiteral("2 mins"),
                                   QStringLiteral("5 mins")};

// A control that takes the keyboard focus, by accessible name (a group box and a list share
// theirs).
QWidget* FocusableControl(const QWidget& window, const QString& name) {
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->accessibleName() == name && control->focusPolicy() != Qt::NoFocus) {
            return control;
        }
    }
    return nullptr;
}

void ClickRow(QTreeView& view, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers,
                      view.visualRect(view.model()->index(row, 1)).center());
}

QList<int> AsList(const std::vector<int>& rows) {
    return {rows.begin(), rows.end()};
}

void FillList(ListViewModel& list, int rows) {
    for (int row = 0; row < rows; ++row) {
        list.InsertRow(row, row, QStringLiteral("00000000000%1").arg(row));
    }
}

bool IsYellow(QColor c) {
    return c.red() > 200 && c.green() > 170 && c.blue() < 90;
}
bool IsRed(QColor c) {
    return c.red() > 170 && c.green() < 90 && c.blue() < 90;
}
bool IsGreen(QColor c) {
    return c.green() > c.red() + 40 && c.green() > c.blue() + 40;
}

} // namespace

class KestrelDlgTest final : public QObject {
    Q_OBJECT

private slots:
    void controlsFollowTheLayout_data();
    void controlsFollowTheLayout();
    void everyControlHasAnAccessibleName();
    void tabOrderFollowsTheLayout();
    void windowIsResizableWithItsCaption();
    void listsTakeTheRoomButtonsKeepTheirPlaces();
    void windowFitsTheScreen_data();
    void windowFitsTheScreen();
    void refreshTimeStartsAtFifteenSecondsAndIsExclusive();
    void commandsReachTheirHandlers_data();
    void commandsReachTheirHandlers();
    void discoveryBroadcastsTheRequest();
    void everyWayOutClosesBothSockets_data();
    void everyWayOutClosesBothSockets();
    void enterAndEscapeChangeNothing_data();
    void enterAndEscapeChangeNothing();
    void listsShowTheirModelsAsReports_data();
    void listsShowTheirModelsAsReports();
    void clickingOneListClearsTheOther_data();
    void clickingOneListClearsTheOther();
    void monitorListShowsStatusImages_data();
    void monitorListShowsStatusImages();
    void trapIndicatorSwitchesColour();
    void aboutBoxShowsTheVersions();
};

void KestrelDlgTest::controlsFollowTheLayout_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("dialogUnits");

    const auto add = [](const char* kind, const QString& text, const QString& name, QRect rect) {
        QTest::addRow("%s %s", kind, qPrintable(name))
            << QString::fromLatin1(kind) << text << name << rect;
    };
    const auto button = [&](const char* text, QRect rect) {
        add("button", QLatin1String(text), QLatin1String(text), rect);
    };
    const auto group = [&](const char* text, QRect rect) {
        add("group", QLatin1String(text), QLatin1String(text), rect);
    };
    group("Discovery List", {18, 0, 368, 133});
    button("Discovery", {307, 118, 72, 12});
    button("Add to monitor list", {151, 137, 72, 12});
    button("View trap", {45, 269, 72, 12});
    button("Add item", {223, 269, 72, 12});
    button("Delete item", {307, 269, 72, 12});
    button("Configuration setting", {24, 295, 72, 12});
    button("Password change", {118, 295, 72, 12});
    button("Firmware upgrade", {214, 295, 72, 12});
    button("Web access", {307, 295, 72, 12});
    add("list", {}, QStringLiteral("Discovery List"), {26, 10, 353, 106});
    group("Monitor List", {18, 148, 368, 136});
    add("list", {}, QStringLiteral("Monitor List"), {26, 159, 353, 108});
    add("picture", {}, QStringLiteral("Trap indicator"), {26, 270, 11, 9});
    add("picture", {}, QStringLiteral("Down arrow"), {228, 138, 8, 9});
    group("Device Setting", {18, 284, 368, 28});
    button("Exit", {307, 315, 72, 12});
}

void KestrelDlgTest::controlsFollowTheLayout() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QRect, dialogUnits);

    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    const QWidget& window = *rig.window;
    QWidget* control = nullptr;
    if (kind == QLatin1String("button")) {
        auto* button = FindControl<QPushButton>(window, name);
        QVERIFY(button != nullptr);
        QCOMPARE(button->text(), text);
        QVERIFY(!button->autoDefault());
        control = button;
    } else if (kind == QLatin1String("group")) {
        auto* group = FindControl<QGroupBox>(window, name);
        QVERIFY(group != nullptr);
        QCOMPARE(group->title(), text);
        control = group;
    } else if (kind == QLatin1String("list")) {
        control = FindControl<QTreeView>(window, name);
    } else {
        control = FindControl<QLabel>(window, name);
    }
    QVERIFY(control != nullptr);
    QVERIFY(control->isVisible());

    // Dialog units scale each axis by one factor: the client area is the layout's size.
    const QWidget& client = *control->parentWidget();
    const double sx = client.width() / double(kLayoutSize.width());
    const double sy = client.height() / double(kLayoutSize.height());
    const QRect at = control->geometry();
    const auto near = [](int pixels, double expected) {
        return std::abs(pixels - expected) <= 1.0;
    };
    QVERIFY2(near(at.left(), dialogUnits.left() * sx) && near(at.top(), dialogUnits.top() * sy) &&
                 near(at.left() + at.width(), (dialogUnits.left() + dialogUnits.width()) * sx) &&
                 near(at.top() + at.height(), (dialogUnits.top() + dialogUnits.height()) * sy),
             qPrintable(QStringLiteral("at %1,%2 %3x%4")
                            .arg(at.x())
                            .arg(at.y())
                            .arg(at.width())
                            .arg(at.height())));
}

void KestrelDlgTest::everyControlHasAnAccessibleName() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    const QTreeView* list = FindControl<QTreeView>(*rig.window, QStringLiteral("Discovery List"));
    QVERIFY(list != nullptr);
    const QWidget* client = list->parentWidget();
    const QList<QWidget*> controls = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 17);
    for (const QWidget* control : controls) {
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    }
}

void KestrelDlgTest::tabOrderFollowsTheLayout() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    QStringList order;
    QWidget* const start = rig.window.get();
    QWidget* widget = start;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && widget->isVisible()) {
            order << widget->accessibleName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != start && order.size() <= 64);

    const QStringList layoutOrder = {
        QStringLiteral("Discovery"),       QStringLiteral("Add to monitor list"),
        QStringLiteral("View trap"),       QStringLiteral("Add item"),
        QStringLiteral("Delete item"),     QStringLiteral("Configuration setting"),
        QStringLiteral("Password change"), QStringLiteral("Firmware upgrade"),
        QStringLiteral("Web access"),      QStringLiteral("Discovery List"),
        QStringLiteral("Monitor List"),    QStringLiteral("Exit"),
    };
    QCOMPARE(order, layoutOrder);
}

void KestrelDlgTest::windowIsResizableWithItsCaption() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    const CKestrelDlg& window = *rig.window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Fenwick"));
    QVERIFY(window.isWindow());
    QVERIFY(window.maximumHeight() > window.height());
    QVERIFY(window.maximumWidth() > window.width());
    QVERIFY(window.minimumHeight() < window.height());
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!window.windowIcon().isNull());
}

void KestrelDlgTest::listsTakeTheRoomButtonsKeepTheirPlaces() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    CKestrelDlg& window = *rig.window;
    const QStringList names = {
        QStringLiteral("Discovery List"),
        QStringLiteral("Monitor List"),
        QStringLiteral("Discovery"),
        QStringLiteral("Add to monitor list"),
        QStringLiteral("View trap"),
        QStringLiteral("Delete item"),
        QStringLiteral("Web access"),
        QStringLiteral("Exit"),
        QStringLiteral("Configuration setting"),
    };
    const auto place = [&](const QString& name) {
        const QWidget* control = name.endsWith(QLatin1String("List"))
                                     ? static_cast<QWidget*>(FindControl<QTreeView>(window, name))
                                     : FindControl<QPushButton>(window, name);
        return control == nullptr ? QRect() : control->geometry();
    };
    QHash<QString, QRect> laid;
    for (const QString& name : names) {
        laid[name] = place(name);
        QVERIFY2(laid[name].isValid(), qPrintable(name));
    }

    const QSize extra(300, 200);
    window.resize(window.size() + extra);
    QCoreApplication::processEvents();
    const QRect discovery = place(names[0]);
    const QRect monitor = place(names[1]);
    // The lists share the extra height and take all the extra width.
    QCOMPARE(discovery.size(), laid[names[0]].size() + QSize(300, 100));
    QCOMPARE(monitor.size(), laid[names[1]].size() + QSize(300, 100));
    QCOMPARE(monitor.top(), laid[names[1]].top() + 100);
    // Each button stays where it was relative to the lists: below the list it was below, at
    // the same distance, and as far across the lists in proportion.
    for (const QString& name : names.mid(2)) {
        const QRect before = laid[name];
        const QRect after = place(name);
        QCOMPARE(after.size(), before.size());
        const QRect& list = before.top() > laid[names[1]].bottom() ? monitor : discovery;
        const QRect& listBefore =
            before.top() > laid[names[1]].bottom() ? laid[names[1]] : laid[names[0]];
        QVERIFY2(after.top() - list.bottom() == before.top() - listBefore.bottom(),
                 qPrintable(name));
        const double shareBefore =
            (before.center().x() - listBefore.left()) / double(listBefore.width());
        const double shareAfter = (after.center().x() - list.left()) / double(list.width());
        QVERIFY2(std::abs(shareAfter - shareBefore) < 0.01, qPrintable(name));
    }
}

void KestrelDlgTest::windowFitsTheScreen_data() {
    QTest::addColumn<QRect>("available");
    QTest::newRow("1366x768") << QRect(0, 0, 1366, 768);
    // 2560x1440 at a scale factor of 2, less a panel.
    QTest::newRow("2560x1440 at 2x") << QRect(0, 0, 1280, 692);
}

void KestrelDlgTest::windowFitsTheScreen() {
    QFETCH(QRect, available);
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    CKestrelDlg& window = *rig.window;
    window.move(available.center());
    window.FitInto(available);
    QCoreApplication::processEvents();
    QVERIFY(available.contains(window.frameGeometry()));
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&window) || control->isWindow() ||
            qobject_cast<const QMenu*>(control) != nullptr) {
            continue;
        }
        const QRect onScreen(control->mapTo(&window, QPoint(0, 0)) + window.geometry().topLeft(),
                             control->size());
        QVERIFY2(available.contains(onScreen),
                 qPrintable(control->accessibleName() + QLatin1Char(' ') + control->objectName()));
    }
    const auto* exit = FindControl<QPushButton>(window, QStringLiteral("Exit"));
    QVERIFY(exit != nullptr && exit->isVisibleTo(&window));
}

void KestrelDlgTest::refreshTimeStartsAtFifteenSecondsAndIsExclusive() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    const auto checked = [&] {
        QStringList items;
        for (const QString& time : kRefreshTimes) {
            QAction* item = FindMenuItem(
                *rig.window, {QStringLiteral("Option"), QStringLiteral("Refresh time"), time});
            if (item == nullptr || item->isChecked()) {
                items << time;
            }
        }
        return items;
    };
    QCOMPARE(checked(), QStringList{QStringLiteral("15 secs")});
    FindMenuItem(*rig.window, {QStringLiteral("Option"), QStringLiteral("Refresh time"),
                               QStringLiteral("1 min")})
        ->trigger();
    QCOMPARE(checked(), QStringList{QStringLiteral("1 min")});
}

void KestrelDlgTest::commandsReachTheirHandlers_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("handler");

    const auto add = [](const char* source, const QStringList& path, const QString& handler) {
        QTest::addRow("%s %s", source, qPrintable(path.join(QLatin1Char('>'))))
            << QString::fromLatin1(source) << path << handler;
    };
    const std::pair<const char*, const char*> buttons[] = {
        {"Discovery", "OnDiscovery"},
        {"Add to monitor list", "OnAddToMonitorList"},
        {"View trap", "OnViewTrap"},
        {"Add item", "OnAddItem"},
        {"Delete item", "OnDeleteItem"},
        {"Configuration setting", "OnConfigurationSetting"},
        {"Password change", "OnPasswordChange"},
        {"Firmware upgrade", "OnFirmwareUpgrade"},
        {"Web access", "OnWebAccess"},
        {"Exit", "OnExit"},
    };
    for (const auto& [text, handler] : buttons) {
        add("button", {QLatin1String(text)}, QLatin1String(handler));
    }
    const std::pair<QStringList, const char*> items[] = {
        {{QStringLiteral("File"), QStringLiteral("Monitor save")}, "OnMonitorSave"},
        {{QStringLiteral("File"), QStringLiteral("Monitor save as")}, "OnMonitorSaveAs"},
        {{QStringLiteral("File"), QStringLiteral("Monitor load")}, "OnMonitorLoad"},
        {{QStringLiteral("File"), QStringLiteral("Export lists...")}, "OnExportLists"},
        {{QStringLiteral("File"), QStringLiteral("Exit")}, "OnFileExit"},
        {{QStringLiteral("View"), QStringLiteral("View log")}, "OnViewLog"},
        {{QStringLiteral("View"), QStringLiteral("Clear log")}, "OnClearLog"},
        {{QStringLiteral("Option"), QStringLiteral("Refresh time"), QStringLiteral("15 secs")},
         "OnRefreshTime 15"},
        {{QStringLiteral("Option"), QStringLiteral("Refresh time"), QStringLiteral("30 secs")},
         "OnRefreshTime 30"},
        {{QStringLiteral("Option"), QStringLiteral("Refresh time"), QStringLiteral("1 min")},
         "OnRefreshTime 60"},
        {{QStringLiteral("Option"), QStringLiteral("Refresh time"), QStringLiteral("2 mins")},
         "OnRefreshTime 120"},
        {{QStringLiteral("Option"), QStringLiteral("Refresh time"), QStringLiteral("5 mins")},
         "OnRefreshTime 300"},
        {{QStringLiteral("Help"), QStringLiteral("About")}, "OnAbout"},
    };
    for (const auto& [path, handler] : items) {
        add("menu", path, QLatin1String(handler));
    }
    add("double click", {QStringLiteral("Discovery List")},
        QStringLiteral("OnDiscoveryListDoubleClick"));
    add("double click", {QStringLiteral("Monitor List")},
        QStringLiteral("OnMonitorListDoubleClick 1"));
    add("column click", {QStringLiteral("Discovery List")},
        QStringLiteral("OnDiscoveryColumnClick 2"));
    add("column click", {QStringLiteral("Monitor List")}, QStringLiteral("OnMonitorColumnClick 2"));
}

void KestrelDlgTest::commandsReachTheirHandlers() {
    QFETCH(QString, source);
    QFETCH(QStringList, path);
    QFETCH(QString, handler);

    WindowRig<RecordingKestrelDlg> rig;
    QVERIFY(rig.Open());
    RecordingKestrelDlg& window = *rig.window;
    if (source == QLatin1String("button")) {
        auto* button = FindControl<QPushButton>(window, path.front());
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (source == QLatin1String("menu")) {
        QAction* item = FindMenuItem(window, path);
        QVERIFY(item != nullptr);
        item->trigger();
    } else {
        auto* list = FindControl<QTreeView>(window, path.front());
        QVERIFY(list != nullptr);
        if (source == QLatin1String("double click")) {
            FillList(*qobject_cast<ListViewModel*>(list->model()), 1);
            // A double click arrives as press, release, double click.
            const QPoint row = list->visualRect(list->model()->index(0, 1)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        } else {
            QHeaderView& header = *list->header();
            const QPoint middle(header.sectionViewportPosition(2) + header.sectionSize(2) / 2,
                                header.height() / 2);
            QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, middle);
        }
    }
    QCOMPARE(window.calls, QStringList{handler});
}

void KestrelDlgTest::discoveryBroadcastsTheRequest() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    QTest::mouseClick(FindControl<QPushButton>(*rig.window, QStringLiteral("Discovery")),
                      Qt::LeftButton);

    QCOMPARE(rig.network.sent.size(), std::size_t{1});
    const MemoryNetwork::Sent& request = rig.network.sent.front();
    QCOMPARE(request.fromPort, kRigBasePort);
    QCOMPARE(request.address, 0xFFFFFFFFu);
    QCOMPARE(request.port, std::uint16_t(kRigBasePort + 2));
    QVERIFY(request.broadcastPermitted);
    QCOMPARE(request.bytes.size(), kHeaderLength);
    const PacketHeader header = DecodeHeader(request.bytes);
    QCOMPARE(header.CommandCode, std::uint16_t(kCommandDiscovery));
    QCOMPARE(header.AgentKey, kRigAgentKey);
}

void KestrelDlgTest::everyWayOutClosesBothSockets_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("result");
    QTest::newRow("Exit button") << QStringLiteral("button") << int(QDialog::Accepted);
    QTest::newRow("File > Exit") << QStringLiteral("menu") << int(QDialog::Rejected);
    QTest::newRow("close box") << QStringLiteral("close") << int(QDialog::Rejected);
}

void KestrelDlgTest::everyWayOutClosesBothSockets() {
    QFETCH(QString, way);
    QFETCH(int, result);

    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    QVERIFY(rig.network.BoundTo(kRigBasePort) != nullptr);
    QVERIFY(rig.network.BoundTo(kRigBasePort + 1) != nullptr);
    rig.window->setResult(-1);

    if (way == QLatin1String("button")) {
        QTest::mouseClick(FindControl<QPushButton>(*rig.window, QStringLiteral("Exit")),
                          Qt::LeftButton);
    } else if (way == QLatin1String("menu")) {
        FindMenuItem(*rig.window, {QStringLiteral("File"), QStringLiteral("Exit")})->trigger();
    } else {
        QVERIFY(rig.window->close());
    }

    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.window->result(), result);
    QVERIFY(rig.network.BoundTo(kRigBasePort) == nullptr);
    QVERIFY(rig.network.BoundTo(kRigBasePort + 1) == nullptr);
}

void KestrelDlgTest::enterAndEscapeChangeNothing_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target");
    const std::pair<int, const char*> keys[] = {
        {Qt::Key_Return, "Return"}, {Qt::Key_Enter, "Enter"}, {Qt::Key_Escape, "Escape"}};
    const QStringList targets = {QString(), QStringLiteral("Discovery"), QStringLiteral("Exit"),
                                 QStringLiteral("Discovery List"), QStringLiteral("Monitor List")};
    for (const auto& [key, keyName] : keys) {
        for (const QString& target : targets) {
            QTest::addRow("%s on %s", keyName, target.isEmpty() ? "the window" : qPrintable(target))
                << key << target;
        }
    }
}

void KestrelDlgTest::enterAndEscapeChangeNothing() {
    QFETCH(int, key);
    QFETCH(QString, target);

    WindowRig<RecordingKestrelDlg> rig;
    QVERIFY(rig.Open());
    RecordingKestrelDlg& window = *rig.window;
    FillList(rig.core->DiscoveryList(), 1);
    FillList(rig.core->MonitorList(), 1);
    QWidget* receiver = target.isEmpty() ? &window : FocusableControl(window, target);
    QVERIFY(receiver != nullptr);
    receiver->setFocus();

    QTest::keyClick(receiver, Qt::Key(key));

    QVERIFY(window.isVisible());
    QCOMPARE(window.calls, QStringList());
}

void KestrelDlgTest::listsShowTheirModelsAsReports_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("Discovery List") << QStringLiteral("Discovery List");
    QTest::newRow("Monitor List") << QStringLiteral("Monitor List");
}

void KestrelDlgTest::listsShowTheirModelsAsReports() {
    QFETCH(QString, name);

    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    const bool discovery = name == QLatin1String("Discovery List");
    ListViewModel& model = discovery ? rig.core->DiscoveryList() : rig.core->MonitorList();
    QItemSelectionModel& selection =
        discovery ? static_cast<QItemSelectionModel&>(rig.core->DiscoverySelection())
                  : rig.core->MonitorSelection();
    const QTreeView* list = FindControl<QTreeView>(*rig.window, name);
    QVERIFY(list != nullptr);

    QCOMPARE(list->model(), static_cast<QAbstractItemModel*>(&model));
    QCOMPARE(list->selectionModel(), &selection);
    QVERIFY(!list->rootIsDecorated());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);

    const QHeaderView& header = *list->header();
    QVERIFY(header.isVisible());
    QVERIFY(header.height() >= list->fontMetrics().height());
    QCOMPARE(header.count(), int(model.Columns().size()));
    for (int column = 0; column < header.count(); ++column) {
        // At least as wide as first drawn; wider where the font needs it.
        QVERIFY(header.sectionSize(column) >= model.Columns()[std::size_t(column)].width);
    }
}

void KestrelDlgTest::clickingOneListClearsTheOther_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QList<int>>("firstRows");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("secondRow");

    QTest::newRow("Discovery row while a Monitor row is selected")
        << QStringLiteral("Monitor List") << QList<int>{0} << QStringLiteral("Discovery List") << 1;
    QTest::newRow("Monitor row while Discovery rows are selected")
        << QStringLiteral("Discovery List") << QList<int>{0, 2} << QStringLiteral("Monitor List")
        << 1;
}

void KestrelDlgTest::clickingOneListClearsTheOther() {
    QFETCH(QString, first);
    QFETCH(QList<int>, firstRows);
    QFETCH(QString, second);
    QFETCH(int, secondRow);

    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    FillList(rig.core->DiscoveryList(), 3);
    FillList(rig.core->MonitorList(), 3);
    const auto selected = [&](const QString& name) {
        return AsList(name == QLatin1String("Discovery List")
                          ? rig.core->DiscoverySelection().SelectedRows()
                          : rig.core->MonitorSelection().SelectedRows());
    };
    QTreeView& firstList = *FindControl<QTreeView>(*rig.window, first);
    QTreeView& secondList = *FindControl<QTreeView>(*rig.window, second);

    for (int i = 0; i < firstRows.size(); ++i) {
        ClickRow(firstList, firstRows[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
    }
    QCOMPARE(selected(first), firstRows);

    ClickRow(secondList, secondRow);
    QCOMPARE(selected(second), QList<int>{secondRow});
    QCOMPARE(selected(first), QList<int>());
}

void KestrelDlgTest::monitorListShowsStatusImages_data() {
    QTest::addColumn<int>("image");
    QTest::addColumn<bool>("yellow");
    QTest::addColumn<bool>("red");
    QTest::newRow("none") << -1 << false << false;
    QTest::newRow("warning sign") << 0 << true << true;
    QTest::newRow("failure sign") << 1 << false << true;
}

void KestrelDlgTest::monitorListShowsStatusImages() {
    QFETCH(int, image);
    QFETCH(bool, yellow);
    QFETCH(bool, red);

    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    ListViewModel& model = rig.core->MonitorList();
    FillList(model, 1);
    model.SetImage(0, image);
    QTreeView& list = *FindControl<QTreeView>(*rig.window, QStringLiteral("Monitor List"));

    const QImage shown = list.viewport()->grab().toImage();
    const QRect cell = list.visualRect(model.index(0, 0));
    int yellowPixels = 0;
    int redPixels = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor colour = shown.pixelColor(x, y);
            yellowPixels += IsYellow(colour) ? 1 : 0;
            redPixels += IsRed(colour) ? 1 : 0;
        }
    }
    QCOMPARE(yellowPixels > 0, yellow);
    QCOMPARE(redPixels > 0, red);
}

void KestrelDlgTest::trapIndicatorSwitchesColour() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    const QLabel& light = *FindControl<QLabel>(*rig.window, QStringLiteral("Trap indicator"));
    const auto centre = [&] {
        const QImage picture = light.pixmap().toImage();
        return picture.pixelColor(picture.width() / 2, picture.height() / 2);
    };
    QVERIFY(IsGreen(centre()));
    rig.window->SetTrapIndicator(true);
    QVERIFY(!IsGreen(centre()) && centre().red() > centre().green() + 60);
    rig.window->SetTrapIndicator(false);
    QVERIFY(IsGreen(centre()));
}

void KestrelDlgTest::aboutBoxShowsTheVersions() {
    WindowRig<CKestrelDlg> rig;
    QVERIFY(rig.Open());
    QString caption;
    QStringList lines;
    bool pictureShown = false;
    bool okIsDefault = false;
    bool closedByOk = false;
    OnNextModal(
        [&] {
            FindMenuItem(*rig.window, {QStringLiteral("Help"), QStringLiteral("About")})->trigger();
        },
        [&](QWidget& box) {
            caption = box.windowTitle();
            for (const QLabel* label : box.findChildren<QLabel*>()) {
                if (!label->text().isEmpty()) {
                    lines << label->text();
                } else if (!label->pixmap().isNull()) {
                    pictureShown = true;
                }
            }
            lines.sort();
            const QList<QPushButton*> buttons = box.findChildren<QPushButton*>();
            if (buttons.size() == 1 && buttons.front()->text() == QLatin1String("OK")) {
                okIsDefault = buttons.front()->isDefault();
                QTest::mouseClick(buttons.front(), Qt::LeftButton);
                closedByOk = !box.isVisible();
            }
        });

    QCOMPARE(caption, QStringLiteral("About"));
    QCOMPARE(lines, (QStringList{QStringLiteral("Fenwick Version " FENWICK_VERSION),
                                 QStringLiteral("Protocol Version 2.001.001")}));
    QVERIFY(pictureShown);
    QVERIFY(okIsDefault);
    QVERIFY(closedByOk);
    QVERIFY(rig.window->isVisible());
}

} // namespace fenwick::testing

int RunKestrelDlgTests(int argc, char** argv) {
    fenwick::testing::KestrelDlgTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "kestrel_dlg_test.moc"
