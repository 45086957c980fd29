// The report lists' columns in the program's font: the longest text each column holds fits
// without being cut, and a cell whose text is cut shows it whole as its tooltip.
#include "core/lists/device_columns.h"
#include "core/lists/list_view_model.h"
#include "core/monitor/trap_list.h"
#include "windows/report_list.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QTest>
#include <QToolTip>
#include <QTreeView>

namespace fenwick::testing {

namespace {

// Texts as long as the fields allow, as operators name their devices.
const QString kProduct = QStringLiteral("GS-2024MX Managed Gigabit Ethernet Switch").left(40);
const QString kSystemName = QStringLiteral("CORE-SWITCH-BLDG-A-2");
const QString kLocation = QStringLiteral("Main Hall, Rack 12 B");
const QString kAddress = QStringLiteral("192.168.200.254");
const QString kMask = QStringLiteral("255.255.255.252");
const QString kMac = QStringLiteral("0a1b2c3d4e5f");
const QString kVersion = QStringLiteral("2.001.001");
const QString kTime = QStringLiteral("12/11/2026 02:18:58");

struct ShownList {
    ListViewModel model;
    QItemSelectionModel selection{&model};
    QTreeView view;

    explicit ShownList(std::vector<ListViewModel::Column> columns) : model(std::move(columns)) {
        view.resize(1200, 300);
    }
    void Show(const QStringList& texts) {
        model.InsertRow(0, 0, texts.value(0));
        for (int column = 1; column < texts.size(); ++column) {
            model.SetText(0, column, texts[column]);
        }
        ShowAsReportList(view, model, selection);
        view.show();
    }
};

// Whether `view` shows the whole text of row 0's `column`.
bool ShowsWhole(const QTreeView& view, int column) {
    const QModelIndex index = view.model()->index(0, column);
    const QString text = index.data().toString();
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    return view.fontMetrics().horizontalAdvance(text) <=
           view.visualRect(index).width() - 2 * margin;
}

} // namespace

class ReportListTest final : public QObject {
    Q_OBJECT

private slots:
    void longestTextsFit_data();
    void longestTextsFit();
    void cutTextShowsAsTooltip();
};

void ReportListTest::longestTextsFit_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("Discovery List")
        << QStringLiteral("discovery")
        << QStringList{kMac,      kAddress, kVersion, kProduct, kSystemName,
                       kLocation, kAddress, kMask,    kAddress};
    QTest::newRow("Monitor List") << QStringLiteral("monitor")
                                  << QStringList{QString(), kAddress,    kMac,      kVersion,
                                                 kProduct,  kSystemName, kLocation, kAddress,
                                                 kMask,     kAddress};
    QTest::newRow("trap window") << QStringLiteral("traps")
                                 << QStringList{QString(), kTime, kAddress,
                                                QStringLiteral("Port 24 link down"), QString()};
}

void ReportListTest::longestTextsFit() {
    QFETCH(QString, list);
    QFETCH(QStringList, texts);
    ShownList shown(list == QLatin1String("discovery") ? DiscoveryColumns()
                    : list == QLatin1String("monitor") ? MonitorColumns()
                                                       : TrapList::TrapColumns());
    shown.Show(texts);
    for (int column = 0; column < texts.size(); ++column) {
        QVERIFY2(
            ShowsWhole(shown.view, column),
            qPrintable(QStringLiteral("column %1 cuts \"%2\"").arg(column).arg(texts[column])));
        // Never narrower than first drawn.
        QVERIFY(shown.view.header()->sectionSize(column) >=
                shown.model.Columns()[std::size_t(column)].width);
    }
}

void ReportListTest::cutTextShowsAsTooltip() {
    ShownList shown(DiscoveryColumns());
    const QString tooLong = kProduct + kProduct;
    shown.Show({kMac, kAddress, kVersion, tooLong});
    const auto tipAt = [&](int column) {
        QToolTip::hideText();
        const QPoint at = shown.view.visualRect(shown.model.index(0, column)).center();
        QHelpEvent help(QEvent::ToolTip, at, shown.view.viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(shown.view.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(1), QString());
    QCOMPARE(tipAt(3), tooLong);
    QToolTip::hideText();
}

} // namespace fenwick::testing

int RunReportListTests(int argc, char** argv) {
    fenwick::testing::ReportListTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "report_list_test.moc"
