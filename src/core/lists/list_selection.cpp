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

std::optional<int> ListSelection::FirstSelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? std::nullopt : std::optional<int>(rows.front());
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

} // namespace fenwick
