// Selection of one list, with a notification before every change, as the selection rule
// between the two main lists needs it.
#pragma once

#include "core/lists/list_view_model.h"

#include <QItemSelectionModel>
#include <vector>

namespace fenwick {

class ListSelection final : public QItemSelectionModel {
    Q_OBJECT

public:
    explicit ListSelection(QAbstractItemModel* model, QObject* parent = nullptr);

    void select(const QItemSelection& selection,
                QItemSelectionModel::SelectionFlags command) override;
    using QItemSelectionModel::select;

    // Selected rows in ascending order.
    std::vector<int> SelectedRows() const;
    // The first selected row, or -1.
    int FirstSelectedRow() const;
    void SelectRow(int row);
    void DeselectRow(int row);
    void DeselectAll();

signals:
    // Emitted before the selection changes.
    void selectionChanging();
};

// Keeps selected rows in one list at a time. Before a Discovery List item changes, the first
// selected Monitor List row loses its selection; before a Monitor List item changes, every
// selected Discovery List row does. Changes the rule itself makes do not set it off again.
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
