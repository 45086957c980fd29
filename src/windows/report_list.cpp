#include "report_list.h"

#include "core/lists/list_view_model.h"

#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QTreeView>
#include <algorithm>

namespace fenwick {

namespace {

// A column's size hint from the model carries its width; the header row's height follows the
// header's own font and style, so that the headings always show.
class ReportHeader final : public QHeaderView {
public:
    explicit ReportHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override {
        const QSize hinted = QHeaderView::sectionSizeFromContents(logicalIndex);
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.section = logicalIndex;
        option.text = model()->headerData(logicalIndex, orientation()).toString();
        const QSize styled =
            style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
        return {hinted.width(), std::max(hinted.height(), styled.height())};
    }
};

} // namespace

void ShowAsReportList(QTreeView& view, ListViewModel& model, QItemSelectionModel& selection) {
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setIconSize(QSize(16, 16));

    view.setHeader(new ReportHeader(&view));
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
