#include "left_double_click_filter.h"

#include <QAbstractItemView>
#include <QMouseEvent>

namespace fenwick {

LeftDoubleClickFilter::LeftDoubleClickFilter(QAbstractItemView& view)
    : QObject(&view), view_(view) {}

LeftDoubleClickFilter* LeftDoubleClickFilter::Install(QAbstractItemView& view) {
    auto* filter = new LeftDoubleClickFilter(view);
    view.viewport()->installEventFilter(filter);
    return filter;
}

bool LeftDoubleClickFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_.viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* click = static_cast<QMouseEvent*>(event);
        if (click->button() == Qt::LeftButton) {
            emit leftDoubleClicked(view_.indexAt(click->position().toPoint()).isValid());
        }
    }
    return false; // the view goes on with its own handling of the click
}

} // namespace fenwick
