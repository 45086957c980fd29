// Column sorting of the Discovery List and the Monitor List. The two lists share one direction
// flag, so each click on either list's header sorts the opposite way from the click before.
#pragma once

#include "core/lists/list_view_model.h"

namespace fenwick {

class ListSorter {
public:
    // Starts at 1 and is flipped before each sort, so the first click sorts descending.
    int SortAscending = 1;
    int SortColumn = 0;

    // A click on a Discovery List column: every column compares as text.
    void SortDiscoveryList(ListViewModel& list, int column);
    // A click on a Monitor List column: column 0 compares the status images as numbers.
    void SortMonitorList(ListViewModel& list, int column);

private:
    enum class FirstColumn { Text, StatusImage };
    void Sort(ListViewModel& list, int column, FirstColumn first);
};

// Texts compare by their 8-bit character codes as unsigned numbers; a prefix sorts first.
// Negative, 0 or positive.
int CompareListTexts(const QString& a, const QString& b);

} // namespace fenwick
