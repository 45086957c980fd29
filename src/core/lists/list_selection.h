// Selection of one list, by row, as the list operations address it.
#pragma once

#include "core/lists/list_view_model.h"

#include <QItemSelectionModel>
#include <optional>
#include <vector>

namespace fenwick {

class ListSelection final : public QItemSelectionModel {
    Q_OBJECT

public:
    explicit ListSelection(QAbstractItemModel* model, QObject* parent = nullptr);

    // Selected rows in ascending order.
    std::vector<int> SelectedRows() const;
    // The first selected row, if any.
    std::optional<int> FirstSelectedRow() const;
    void SelectRow(int row);
    void DeselectRow(int row);
    void DeselectAll();
};

} // namespace fenwick
