#include "trap_list.h"

#include "core/lists/device_columns.h"
#include "core/lists/list_sorter.h"
#include "core/monitor/trap_table.h"
#include "core/support/latin1.h"

namespace fenwick {
namespace {

// The image a row shows: the warning sign (image 0) for a new trap, none once seen.
int RowImage(const TrapEntry& entry) {
    return entry.EventImage == kTrapImageNew ? 0 : -1;
}

bool RowShows(const ListViewModel& list, int row, const TrapEntry& entry) {
    return list.Text(row, TrapList::kColumnTime) == Latin1(FieldText(entry.TimeText)) &&
           list.Text(row, TrapList::kColumnIp) == Latin1(FieldText(entry.DeviceIpText)) &&
           list.Text(row, TrapList::kColumnEvent) == Latin1(FieldText(entry.EventText));
}

} // namespace

TrapList::TrapList(ProgramState& state, QObject* parent)
    : QObject(parent), state_(state), model_(TrapColumns(), this), selection_(&model_, this) {}

std::vector<ListViewModel::Column> TrapList::TrapColumns() {
    const Qt::Alignment left = Qt::AlignLeft;
    return {
        {QStringLiteral("S"), left, 20},
        {QStringLiteral("Time"), left, 100, QStringLiteral("00/00/0000 00:00:00")},
        {QStringLiteral("IP"), left, 100, kWidestAddressText},
        {QStringLiteral("Event"), left, 800},
        {QStringLiteral(" "), left, 30},
    };
}

void TrapList::Fill() {
    selection_.clearSelection();
    model_.DeleteAllRows();
    for (std::size_t slot = 0; slot < state_.TrapTable.size(); ++slot) {
        const TrapEntry& entry = state_.TrapTable[slot];
        if (FieldText(entry.EventText).empty()) {
            break;
        }
        const int row = model_.InsertRow(static_cast<int>(slot), static_cast<int>(slot), {});
        model_.SetImage(row, RowImage(entry));
        model_.SetText(row, kColumnTime, Latin1(FieldText(entry.TimeText)));
        model_.SetText(row, kColumnIp, Latin1(FieldText(entry.DeviceIpText)));
        model_.SetText(row, kColumnEvent, Latin1(FieldText(entry.EventText)));
    }
}

std::optional<int> TrapList::SlotOfRow(int row) const {
    const int listed = model_.ItemData(row);
    if (listed < 0 || listed >= static_cast<int>(state_.TrapTable.size())) {
        return std::nullopt;
    }
    // Sliding only ever moves a trap to a lower slot.
    for (int slot = listed; slot >= 0; --slot) {
        if (RowShows(model_, row, state_.TrapTable[static_cast<std::size_t>(slot)])) {
            return slot;
        }
    }
    return std::nullopt;
}

void TrapList::Click() {
    const std::optional<int> row = selection_.FirstSelectedRow();
    if (!row) {
        return;
    }
    if (const std::optional<int> slot = SlotOfRow(*row)) {
        state_.TrapTable[static_cast<std::size_t>(*slot)].EventImage = kTrapImageSeen;
    }
    model_.SetImage(*row, kStatusImageNone);
    selection_.SelectRow(*row);
}

void TrapList::ClearAll() {
    selection_.clearSelection();
    model_.DeleteAllRows();
    ClearTraps(state_.TrapTable, state_.TrapCount);
}

void TrapList::SortByColumn(int column) {
    if (column < 0 || column >= model_.columnCount()) {
        return;
    }
    TrapSortAscending = TrapSortAscending == 1 ? 0 : 1;
    if (column == kColumnBlank) {
        return;
    }
    if (column != kColumnImage) {
        TrapSortColumn = column;
    }
    const int direction = TrapSortAscending == 1 ? 1 : -1;
    model_.SortRows([&](const ListViewModel::Row& a, const ListViewModel::Row& b) {
        const int order = column == kColumnImage
                              ? (a.image > b.image) - (a.image < b.image)
                              : CompareListTexts(a.texts.value(column), b.texts.value(column));
        return order * direction < 0;
    });
}

} // namespace fenwick
