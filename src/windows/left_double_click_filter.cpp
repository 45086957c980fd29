#include "left_double_click_filter.h"

#include <QAbstractItemView>
#include <QMouseEvent>

namespace fenwick {

LeftDoubleClickFilter::LeftDoubleClickFilter(QAbstractItemView& view)
    : QObject(&view), view_(view), viewport_(view.viewport()) {}

LeftDoubleClickFilter* LeftDoubleClickFilter::Install(QAbstractItemView& view) {
    auto* filter = new LeftDoubleClickFilter(view);
    filter->viewport_->installEventFilter(filter);
    return filter;
}

bool LeftDoubleClickFilter::eventFilter(QObject* watched, QEvent* event) {
    // The type first: the viewport also sends events while the view is being destroyed, when
    // the view may no longer be asked anything.
    if (event->type() == QEvent::MouseButtonDblClick && watched == viewport_) {
        const auto* click = static_cast<QMouseEvent*>(event);
        if (click->button() == Qt::LeftButton) {
            emit leftDoubleClicked(view_.indexAt(click->position().toPoint()).isValid());
        }
    }
    return false; // the view goes on with its own handling of the click
}

} // namespace fenwick
