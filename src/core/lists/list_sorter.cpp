#include "list_sorter.h"

namespace fenwick {

int CompareListTexts(const QString& a, const QString& b) {
    // The lists hold 8-bit texts as Latin-1, so each character's code is the byte's value and
    // a code-unit comparison is the byte comparison.
    const int order = QString::compare(a, b, Qt::CaseSensitive);
    return (order > 0) - (order < 0);
}

void ListSorter::SortDiscoveryList(ListViewModel& list, int column) {
    Sort(list, column, FirstColumn::Text);
}

void ListSorter::SortMonitorList(ListViewModel& list, int column) {
    Sort(list, column, FirstColumn::StatusImage);
}

void ListSorter::Sort(ListViewModel& list, int column, FirstColumn first) {
    if (column < 0 || column >= list.columnCount()) {
        return; // no such header to click
    }
    SortAscending = SortAscending == 1 ? 0 : 1;
    SortColumn = column;

    const bool byImage = first == FirstColumn::StatusImage && column == 0;
    const int direction = SortAscending == 1 ? 1 : -1;
    list.SortRows([&](const ListViewModel::Row& a, const ListViewModel::Row& b) {
        const int order = byImage ? (a.image > b.image) - (a.image < b.image)
                                  : CompareListTexts(a.texts.value(column), b.texts.value(column));
        return order * direction < 0;
    });
}

} // namespace fenwick
