#include "report_list.h"

#include "core/lists/list_view_model.h"

#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

namespace fenwick {

void ShowAsReportList(QTreeView& view, ListViewModel& model, QItemSelectionModel& selection) {
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setIconSize(QSize(16, 16));

    view.setModel(&model);
    // setModel gave the view a selection model of its own; the core's takes its place.
    QItemSelectionModel* own = view.selectionModel();
    view.setSelectionModel(&selection);
    if (own != nullptr && own != &selection) {
        own->deleteLater();
    }

    QHeaderView& header = *view.header();
    header.setStretchLastSection(false);
    header.setSectionsMovable(false);
    header.setSectionsClickable(true);
    header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const auto& columns = model.Columns();
    // The narrowest column (a status image) is narrower than the style's default minimum.
    const auto narrowest =
        std::min_element(columns.begin(), columns.end(),
                         [](const auto& a, const auto& b) { return a.width < b.width; });
    if (narrowest != columns.end()) {
        header.setMinimumSectionSize(std::min(header.minimumSectionSize(), narrowest->width));
    }
    for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
        header.resizeSection(column, columns[static_cast<std::size_t>(column)].width);
    }
}

} // namespace fenwick
