#include "list_selection.h"

#include <algorithm>

namespace fenwick {

ListSelection::ListSelection(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent) {}

std::vector<int> ListSelection::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int ListSelection::FirstSelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

void ListSelection::SelectRow(int row) {
    if (row < 0 || row >= model()->rowCount()) {
        return;
    }
    select(model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ListSelection::DeselectRow(int row) {
    if (row < 0 || row >= model()->rowCount()) {
        return;
    }
    select(model()->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void ListSelection::DeselectAll() {
    for (int row : SelectedRows()) {
        DeselectRow(row);
    }
}

SelectionRule::SelectionRule(ListViewModel& discoveryList, ListSelection& discoverySelection,
                             ListViewModel& monitorList, ListSelection& monitorSelection,
                             QObject* parent)
    : QObject(parent), discovery_(discoverySelection), monitor_(monitorSelection) {
    // Qt reports a selection only once it has really changed.
    connect(&discovery_, &QItemSelectionModel::selectionChanged, this,
            &SelectionRule::DiscoveryItemChanging);
    connect(&monitor_, &QItemSelectionModel::selectionChanged, this,
            &SelectionRule::MonitorItemChanging);
    // Row displays change items too, and set the rule off like a click does.
    connect(&discoveryList, &ListViewModel::itemChanging, this,
            &SelectionRule::DiscoveryItemChanging);
    connect(&monitorList, &ListViewModel::itemChanging, this, &SelectionRule::MonitorItemChanging);
}

void SelectionRule::DiscoveryItemChanging() {
    if (applying_) {
        return;
    }
    applying_ = true;
    monitor_.DeselectRow(monitor_.FirstSelectedRow());
    applying_ = false;
}

void SelectionRule::MonitorItemChanging() {
    if (applying_) {
        return;
    }
    applying_ = true;
    discovery_.DeselectAll();
    applying_ = false;
}

} // namespace fenwick
