// The trap window: its layout, the snapshot it lists, the click that marks a trap seen, "Clear
// all", the sort direction kept across openings, and the ways to close it.
#include "core/lists/list_view_model.h"
#include "core/monitor/trap_list.h"
#include "core/monitor/trap_table.h"
#include "monitored_device.h"
#include "window_rig.h"
#include "windows/kestrel_dlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <cmath>

namespace fenwick::testing {

namespace {

const QSize kTemplateSize(407, 187);

QTreeView* TrapListOf(const QWidget& window) {
    return FindControl<QTreeView>(window, QStringLiteral("Trap list"));
}

QStringList Column(const QTreeView& list, int column) {
    QStringList texts;
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        texts << list.model()->index(row, column).data().toString();
    }
    return texts;
}

void ClickHeader(QTreeView& list, int column) {
    QHeaderView& header = *list.header();
    list.scrollTo(list.model()->index(0, column)); // the Event column is wider than the list
    // The middle of the part of the section that shows.
    const int left = std::max(header.sectionViewportPosition(column), 0);
    const int right = std::min(header.sectionViewportPosition(column) + header.sectionSize(column),
                               header.viewport()->width());
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                      QPoint((left + right) / 2, header.height() / 2));
}

void ClickRow(QTreeView& list, int row) {
    const QModelIndex cell = list.model()->index(row, TrapList::kColumnTime);
    list.scrollTo(cell);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(cell).center());
}

// The TrapIndicator's colour at its centre: red after a trap, green after "View trap".
bool IndicatorIsRed(const QWidget& window) {
    const QLabel& light = *FindControl<QLabel>(window, QStringLiteral("Trap indicator"));
    const QImage picture = light.pixmap().toImage();
    const QColor centre = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    return centre.red() > centre.green() + 60;
}

// What the trap window listed as it opened. No window at all is not an empty list.
struct Listing {
    bool opened = false;
    QStringList events;
    bool operator==(const Listing&) const = default;
};

Listing Listed(const QStringList& events) {
    return {true, events};
}

char* toString(const Listing& listing) {
    return QTest::toString(listing.opened
                               ? QStringLiteral("listed [%1]").arg(listing.events.join(u'|'))
                               : QStringLiteral("no trap window"));
}

class TrapRig : public WindowRig<CKestrelDlg> {
public:
    void Store(const char* time, const char* ip, const char* event) {
        ProgramState& state = core->State();
        StoreTrap(state.TrapTable, state.TrapCount, time, ip, event);
    }

    // Presses "View trap" and runs `handle` on the trap window while it is open; false, and the
    // test failed, when no modal window opened.
    bool ViewTrap(std::function<void(QDialog&)> handle) {
        return OnNextModal(
            [&] {
                QTest::mouseClick(FindControl<QPushButton>(*window, QStringLiteral("View trap")),
                                  Qt::LeftButton);
            },
            [handle = std::move(handle)](QWidget& modal) {
                auto* dialog = qobject_cast<QDialog*>(&modal);
                QVERIFY(dialog != nullptr);
                handle(*dialog);
            });
    }

    // The Event column of the trap window as it opens.
    Listing ListedEvents() {
        Listing listing;
        ViewTrap([&](QDialog& traps) {
            listing = Listed(Column(*TrapListOf(traps), TrapList::kColumnEvent));
        });
        return listing;
    }
};

} // namespace

class TrapInfoDlgTest final : public QObject {
    Q_OBJECT

private slots:
    void followsItsTemplate_data();
    void followsItsTemplate();
    void hasItsColumns();
    void opensEmptyWithoutTraps();
    void listsASnapshotAndTheIndicatorShowsLaterTraps();
    void aClickMarksTheTrapSeenAndEmptySpaceChangesNothing();
    void clearAllEmptiesTheListAndTheTable();
    void theSortDirectionOutlivesTheWindow();
    void closes_data();
    void closes();
};

void TrapInfoDlgTest::followsItsTemplate_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("dialogUnits");
    QTest::newRow("list") << QStringLiteral("Trap list") << QRect(16, 15, 375, 142);
    QTest::newRow("Clear all") << QStringLiteral("Clear all") << QRect(16, 170, 72, 10);
    QTest::newRow("OK") << QStringLiteral("OK") << QRect(318, 168, 72, 12);
}

void TrapInfoDlgTest::followsItsTemplate() {
    QFETCH(QString, name);
    QFETCH(QRect, dialogUnits);

    TrapRig rig;
    QVERIFY(rig.Open());
    rig.ViewTrap([&](QDialog& traps) {
        QCOMPARE(traps.windowTitle(), QStringLiteral("Trap information"));
        QCOMPARE(traps.minimumSize(), traps.maximumSize());
        QVERIFY(traps.isModal());
        auto* ok = FindControl<QPushButton>(traps, QStringLiteral("OK"));
        auto* clearAll = FindControl<QPushButton>(traps, QStringLiteral("Clear all"));
        QVERIFY(ok != nullptr && clearAll != nullptr);
        QVERIFY(ok->isDefault());
        QVERIFY(!clearAll->autoDefault());
        QCOMPARE(clearAll->text(), QStringLiteral("Clear all"));

        const QWidget* control = FindControl<QWidget>(traps, name);
        QVERIFY(control != nullptr);
        const QWidget& client = *control->parentWidget();
        const double sx = client.width() / double(kTemplateSize.width());
        const double sy = client.height() / double(kTemplateSize.height());
        const QRect at = control->geometry();
        const auto near = [](int pixels, double expected) {
            return std::abs(pixels - expected) <= 1.0;
        };
        QVERIFY(near(at.left(), dialogUnits.left() * sx));
        QVERIFY(near(at.top(), dialogUnits.top() * sy));
        QVERIFY(near(at.right() + 1, (dialogUnits.left() + dialogUnits.width()) * sx));
        QVERIFY(near(at.bottom() + 1, (dialogUnits.top() + dialogUnits.height()) * sy));
    });
}

void TrapInfoDlgTest::hasItsColumns() {
    TrapRig rig;
    QVERIFY(rig.Open());
    QStringList headings;
    QList<int> widths;
    rig.ViewTrap([&](QDialog& traps) {
        const QTreeView& list = *TrapListOf(traps);
        QCOMPARE(list.selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
        for (int column = 0; column < list.header()->count(); ++column) {
            headings << list.model()->headerData(column, Qt::Horizontal).toString();
            widths << list.header()->sectionSize(column);
        }
    });
    QCOMPARE(headings,
             (QStringList{QStringLiteral("S"), QStringLiteral("Time"), QStringLiteral("IP"),
                          QStringLiteral("Event"), QStringLiteral(" ")}));
    // As first drawn, or wider where the font needs it for the texts.
    const QList<int> drawn = {20, 100, 100, 800, 30};
    QCOMPARE(widths.size(), drawn.size());
    for (int column = 0; column < drawn.size(); ++column) {
        QVERIFY(widths[column] >= drawn[column]);
    }
}

void TrapInfoDlgTest::opensEmptyWithoutTraps() {
    TrapRig rig;
    QVERIFY(rig.Open());
    rig.Store("01/05/2004 09:30:00", "10.77.0.1", "gone");
    rig.core->Traps().ClearAll();
    QCOMPARE(rig.ListedEvents(), Listed({}));
}

void TrapInfoDlgTest::listsASnapshotAndTheIndicatorShowsLaterTraps() {
    TrapRig rig;
    QVERIFY(rig.Open());
    MonitorDevice(*rig.core);
    rig.network.Deliver(kRigBasePort + 1, TrapFrom(kRigDeviceIp, "link 1 down"), kRigDeviceIp);
    QVERIFY(IndicatorIsRed(*rig.window));

    QStringList listed;
    bool greenWhileOpen = false;
    bool redAgain = false;
    rig.ViewTrap([&](QDialog& traps) {
        greenWhileOpen = !IndicatorIsRed(*rig.window);
        rig.network.Deliver(kRigBasePort + 1, TrapFrom(kRigDeviceIp, "link 1 up"), kRigDeviceIp);
        redAgain = IndicatorIsRed(*rig.window);
        listed = Column(*TrapListOf(traps), TrapList::kColumnEvent);
    });

    QVERIFY(greenWhileOpen);
    QVERIFY(redAgain);
    QCOMPARE(listed, QStringList{QStringLiteral("link 1 down")});
    QCOMPARE(rig.ListedEvents(),
             Listed({QStringLiteral("link 1 down"), QStringLiteral("link 1 up")}));
}

void TrapInfoDlgTest::aClickMarksTheTrapSeenAndEmptySpaceChangesNothing() {
    TrapRig rig;
    QVERIFY(rig.Open());
    rig.Store("01/05/2004 09:30:00", "10.77.0.1", "b");
    rig.Store("01/05/2004 09:30:01", "10.77.0.2", "a");
    const TrapEntryTable& table = rig.core->State().TrapTable;
    QList<int> images;
    rig.ViewTrap([&](QDialog& traps) {
        QTreeView& list = *TrapListOf(traps);
        ClickHeader(list, TrapList::kColumnEvent); // descending: b, a
        ClickRow(list, 1);                         // trap a, in slot 1
        // Below the rows: the selection goes and nothing else changes.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          QPoint(10, list.viewport()->height() - 5));
        QVERIFY(list.selectionModel()->selectedRows().isEmpty());
        for (int row = 0; row < list.model()->rowCount(); ++row) {
            images << list.model()->index(row, 0).data(ListViewModel::kStatusImageRole).toInt();
        }
    });
    QCOMPARE(images, (QList<int>{0, -1}));
    QCOMPARE(table[1].EventImage, kTrapImageSeen);
    QCOMPARE(table[0].EventImage, kTrapImageNew);
}

void TrapInfoDlgTest::clearAllEmptiesTheListAndTheTable() {
    TrapRig rig;
    QVERIFY(rig.Open());
    rig.Store("01/05/2004 09:30:00", "10.77.0.1", "one");
    rig.Store("01/05/2004 09:30:01", "10.77.0.1", "two");
    int rowsAfter = -1;
    rig.ViewTrap([&](QDialog& traps) {
        QTest::mouseClick(FindControl<QPushButton>(traps, QStringLiteral("Clear all")),
                          Qt::LeftButton);
        rowsAfter = TrapListOf(traps)->model()->rowCount();
    });
    QCOMPARE(rowsAfter, 0);
    QCOMPARE(rig.core->State().TrapCount, 0);
    QCOMPARE(rig.ListedEvents(), Listed({}));
    rig.Store("01/05/2004 09:31:00", "10.77.0.1", "three");
    QCOMPARE(QString::fromLatin1(rig.core->State().TrapTable[0].EventText),
             QStringLiteral("three"));
}

void TrapInfoDlgTest::theSortDirectionOutlivesTheWindow() {
    TrapRig rig;
    QVERIFY(rig.Open());
    rig.Store("01/05/2004 09:30:00", "10.77.0.1", "b");
    rig.Store("01/05/2004 09:30:01", "10.77.0.1", "c");
    rig.Store("01/05/2004 09:30:02", "10.77.0.1", "a");
    QStringList first;
    rig.ViewTrap([&](QDialog& traps) {
        QTreeView& list = *TrapListOf(traps);
        ClickHeader(list, TrapList::kColumnBlank); // flips the direction, sorts nothing
        first = Column(list, TrapList::kColumnEvent);
    });
    QStringList second;
    rig.ViewTrap([&](QDialog& traps) {
        QTreeView& list = *TrapListOf(traps);
        ClickHeader(list, TrapList::kColumnEvent); // flipped back: ascending
        second = Column(list, TrapList::kColumnEvent);
    });
    QCOMPARE(first, (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}));
    QCOMPARE(second, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

void TrapInfoDlgTest::closes_data() {
    QTest::addColumn<QString>("way");
    for (const char* way : {"OK", "Escape", "Enter", "close box"}) {
        QTest::newRow(way) << QString::fromLatin1(way);
    }
}

void TrapInfoDlgTest::closes() {
    QFETCH(QString, way);

    TrapRig rig;
    QVERIFY(rig.Open());
    rig.Store("01/05/2004 09:30:00", "10.77.0.1", "one");
    bool closed = false;
    rig.ViewTrap([&](QDialog& traps) {
        TrapListOf(traps)->setFocus();
        if (way == QLatin1String("OK")) {
            QTest::mouseClick(FindControl<QPushButton>(traps, QStringLiteral("OK")),
                              Qt::LeftButton);
        } else if (way == QLatin1String("Escape")) {
            QTest::keyClick(&traps, Qt::Key_Escape);
        } else if (way == QLatin1String("Enter")) {
            QTest::keyClick(&traps, Qt::Key_Return);
        } else {
            traps.close();
        }
        closed = !traps.isVisible();
    });
    QVERIFY(closed);
    QVERIFY(rig.window->isVisible());
    QCOMPARE(rig.core->State().TrapCount, 1);
}

} // namespace fenwick::testing

int RunTrapInfoDlgTests(int argc, char** argv) {
    fenwick::testing::TrapInfoDlgTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "trap_info_dlg_test.moc"
