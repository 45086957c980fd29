// Selection of one list, by row, as the list operations address it.
#pragma once

#include "core/lists/list_view_model.h"

#include <QItemSelectionModel>
#include <vector>

namespace fenwick {

class ListSelection final : public QItemSelectionModel {
    Q_OBJECT

public:
    explicit ListSelection(QAbstractItemModel* model, QObject* parent = nullptr);

    // Selected rows in ascending order.
    std::vector<int> SelectedRows() const;
    // The first selected row, or -1.
    int FirstSelectedRow() const;
    void SelectRow(int row);
    void DeselectRow(int row);
    void DeselectAll();
};

// Keeps selected rows in one list at a time. When a Discovery List item changes, the first
// selected Monitor List row loses its selection; when a Monitor List item changes, every
// selected Discovery List row does. An item changes when its selection, texts, key or image
// actually do: a click that leaves the selection as it was, or rows put in or taken out, set
// nothing off. Changes the rule itself makes do not set it off again.
class SelectionRule final : public QObject {
    Q_OBJECT

public:
    SelectionRule(ListViewModel& discoveryList, ListSelection& discoverySelection,
                  ListViewModel& monitorList, ListSelection& monitorSelection,
                  QObject* parent = nullptr);

private:
    void DiscoveryItemChanging();
    void MonitorItemChanging();

    ListSelection& discovery_;
    ListSelection& monitor_;
    bool applying_ = false;
};

} // namespace fenwick
