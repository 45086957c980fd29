#include "report_list.h"

#include "core/lists/list_view_model.h"
#include "cut_text_tip_delegate.h"

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
    view.setItemDelegate(new CutTextTipDelegate(&view));

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
    // The widths were drawn for a smaller font than a desktop's: each column is widened, where
    // it must be, to show the longest text it holds.
    const QFontMetrics metrics(view.font());
    const int padding = CutTextTipDelegate::TextPadding(view);
    for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
        const auto& described = columns[static_cast<std::size_t>(column)];
        int width = described.width;
        if (!described.widest.isEmpty()) {
            width = std::max(width, metrics.horizontalAdvance(described.widest) + padding);
        }
        header.resizeSection(column, width);
    }
}

} // namespace fenwick
