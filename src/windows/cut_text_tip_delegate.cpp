#include "cut_text_tip_delegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace fenwick {

int CutTextTipDelegate::TextPadding(const QWidget& view) {
    // The style keeps this margin on each side of the item's text rectangle, and again of the
    // text within it.
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    return 4 * margin;
}

bool CutTextTipDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QRect room =
        view->style()->subElementRect(QStyle::SE_ItemViewItemText, &item, view->viewport());
    const int margin =
        view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view->viewport()) + 1;
    if (!item.text.isEmpty() &&
        item.fontMetrics.horizontalAdvance(item.text) > room.width() - 2 * margin) {
        QToolTip::showText(event->globalPos(), item.text, view->viewport(), option.rect);
    } else {
        QToolTip::hideText();
    }
    return true;
}

} // namespace fenwick
