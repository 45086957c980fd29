#include "core/monitor/trap_list.h"
#include "core/monitor/trap_table.h"
#include "core_fixture.h"

namespace fenwick::testing {
namespace {

struct StoredTrap {
    const char* time;
    const char* ip;
    const char* event;
};

class TrapListTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
    }

    void Store(std::initializer_list<StoredTrap> traps) {
        for (const StoredTrap& trap : traps) {
            StoreTrap(state->TrapTable, state->TrapCount, trap.time, trap.ip, trap.event);
        }
    }

    TrapList& List() { return core->Traps(); }

    QStringList Events() {
        QStringList events;
        for (int row = 0; row < List().Model().RowCount(); ++row) {
            events << List().Model().Text(row, TrapList::kColumnEvent);
        }
        return events;
    }

    std::vector<int> Images() {
        std::vector<int> images;
        for (int row = 0; row < List().Model().RowCount(); ++row) {
            images.push_back(List().Model().Image(row));
        }
        return images;
    }
};

TEST_F(TrapListTest, HasTheTrapWindowsColumns) {
    const std::vector<std::pair<QString, int>> expected = {{QStringLiteral("S"), 20},
                                                           {QStringLiteral("Time"), 100},
                                                           {QStringLiteral("IP"), 100},
                                                           {QStringLiteral("Event"), 800},
                                                           {QStringLiteral(" "), 30}};
    const auto& columns = List().Model().Columns();
    ASSERT_EQ(columns.size(), expected.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(std::make_pair(columns[i].heading, columns[i].width), expected[i]);
        EXPECT_EQ(columns[i].alignment, Qt::AlignLeft);
    }
}

TEST_F(TrapListTest, FillingListsTheTrapsUpToTheFirstEmptyEventText) {
    Store({{"01/05/2004 09:30:00", "10.77.0.1", "link down"},
           {"01/05/2004 09:30:01", "10.77.0.2", "link up"},
           {"01/05/2004 09:30:02", "10.77.0.3", ""},
           {"01/05/2004 09:30:03", "10.77.0.4", "stored but not listed"}});
    state->TrapTable[1].EventImage = kTrapImageSeen;

    List().Fill();

    const ListViewModel& model = List().Model();
    ASSERT_EQ(model.RowCount(), 2);
    EXPECT_EQ(model.Text(1, TrapList::kColumnTime), QStringLiteral("01/05/2004 09:30:01"));
    EXPECT_EQ(model.Text(1, TrapList::kColumnIp), QStringLiteral("10.77.0.2"));
    EXPECT_EQ(model.Text(1, TrapList::kColumnEvent), QStringLiteral("link up"));
    EXPECT_EQ(model.Text(1, TrapList::kColumnImage), QString());
    EXPECT_EQ(model.Text(1, TrapList::kColumnBlank), QString());
    EXPECT_EQ(Images(), (std::vector<int>{0, -1}));
    EXPECT_EQ(model.ItemData(0), 0);
    EXPECT_EQ(model.ItemData(1), 1);

    Store({{"01/05/2004 09:31:00", "10.77.0.1", "later"}});
    EXPECT_EQ(model.RowCount(), 2) << "a snapshot";
}

TEST_F(TrapListTest, AClickMarksTheFirstSelectedRowsTrapSeen) {
    Store({{"01/05/2004 09:30:00", "10.77.0.1", "b"},
           {"01/05/2004 09:30:01", "10.77.0.2", "c"},
           {"01/05/2004 09:30:02", "10.77.0.3", "a"}});
    List().Fill();
    List().SortByColumn(TrapList::kColumnEvent); // descending: c, b, a
    ASSERT_EQ(Events(),
              (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));

    List().Click(); // nothing selected
    EXPECT_EQ(Images(), (std::vector<int>{0, 0, 0}));

    List().Selection().SelectRow(2);
    List().Selection().SelectRow(0);
    List().Click();

    EXPECT_EQ(Images(), (std::vector<int>{-1, 0, 0}));
    EXPECT_EQ(state->TrapTable[1].EventImage, kTrapImageSeen) << "trap c";
    EXPECT_EQ(state->TrapTable[0].EventImage, kTrapImageNew);
    EXPECT_EQ(state->TrapTable[2].EventImage, kTrapImageNew);
    EXPECT_EQ(List().Selection().SelectedRows(), (std::vector<int>{0, 2}));

    List().Fill(); // opened again
    EXPECT_EQ(Images(), (std::vector<int>{0, -1, 0}));
}

TEST_F(TrapListTest, AClickFindsItsTrapAfterTheTableSlid) {
    for (int n = 1; n <= 1499; ++n) {
        const std::string text = "trap " + std::to_string(n);
        StoreTrap(state->TrapTable, state->TrapCount, "01/05/2004 09:30:00", "10.77.0.1", text);
    }
    List().Fill();
    List().Selection().SelectRow(1498);                         // trap 1499, in slot 1498
    Store({{"01/05/2004 09:30:09", "10.77.0.1", "trap 1500"}}); // arrives while open

    List().Click();

    EXPECT_EQ(state->TrapTable[1497].EventImage, kTrapImageSeen) << "trap 1499";
    EXPECT_EQ(state->TrapTable[1498].EventImage, kTrapImageNew) << "trap 1500";
}

TEST_F(TrapListTest, ClearAllEmptiesTheListAndTheTable) {
    Store(
        {{"01/05/2004 09:30:00", "10.77.0.1", "one"}, {"01/05/2004 09:30:00", "10.77.0.1", "two"}});
    List().Fill();
    List().Selection().SelectRow(0);

    List().ClearAll();

    EXPECT_EQ(List().Model().RowCount(), 0);
    EXPECT_EQ(state->TrapCount, 0);
    const TrapEntry zero = ZeroTrapEntry();
    EXPECT_EQ(std::memcmp(&state->TrapTable[0], &zero, sizeof zero), 0);
    EXPECT_EQ(std::memcmp(&state->TrapTable[1], &zero, sizeof zero), 0);
    Store({{"01/05/2004 09:31:00", "10.77.0.1", "three"}});
    List().Fill();
    EXPECT_EQ(Events(), QStringList{QStringLiteral("three")});
}

TEST_F(TrapListTest, EachHeaderClickFlipsTheDirectionAndTheBlankColumnSortsNothing) {
    Store({{"12/31/2003 23:59:59", "10.77.0.9", "b"},
           {"01/05/2004 09:30:00", "10.77.0.10", "a"},
           {"06/01/2004 00:00:00", "10.77.0.2", "c"}});
    state->TrapTable[2].EventImage = kTrapImageSeen;
    struct Click {
        int column;
        QStringList events; // afterwards
        int ascending;
    };
    const Click clicks[] = {
        // texts, month first: descending
        {TrapList::kColumnTime, {QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}, 0},
        // 01/05/2004 before 12/31/2003
        {TrapList::kColumnTime, {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")}, 1},
        // flips only
        {TrapList::kColumnBlank,
         {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")},
         0},
        // ascending: seen (-1) before new (0)
        {TrapList::kColumnImage,
         {QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")},
         1},
        {TrapList::kColumnImage,
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
         0},
        // 10.77.0.10 < .2 < .9
        {TrapList::kColumnIp, {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")}, 1},
        {TrapList::kColumnEvent,
         {QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")},
         0},
    };
    List().Fill();
    for (const Click& click : clicks) {
        List().SortByColumn(click.column);
        EXPECT_EQ(Events(), click.events) << "column " << click.column;
        EXPECT_EQ(List().TrapSortAscending, click.ascending) << "column " << click.column;
    }
    EXPECT_EQ(List().TrapSortColumn, TrapList::kColumnEvent);

    List().Fill(); // the window opened again keeps the direction
    List().SortByColumn(TrapList::kColumnEvent);
    EXPECT_EQ(Events(),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

} // namespace
} // namespace fenwick::testing
