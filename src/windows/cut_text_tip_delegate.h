// Draws list cells as usual and, where a cell's text does not fit its column, shows the whole
// text as the cell's tooltip.
#pragma once

#include <QStyledItemDelegate>

namespace fenwick {

class CutTextTipDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The room a cell of `view` leaves around its text, left and right together.
    static int TextPadding(const QWidget& view);

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

} // namespace fenwick
