#include "growing_layout.h"

#include <QWidget>
#include <algorithm>

namespace fenwick {

GrowingLayout::GrowingLayout(QWidget& client, const QWidget& upperList, const QWidget& lowerList)
    : laid_(client.size()), upper_(upperList.geometry()), lower_(lowerList.geometry()) {
    for (QWidget* control : client.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        controls_.push_back({control, control->geometry()});
    }
}

QSize GrowingLayout::Minimum() const {
    return {laid_.width(), laid_.height() - (upper_.height() + lower_.height()) / 2};
}

void GrowingLayout::Place(QSize size) const {
    const int wider = std::max(0, size.width() - laid_.width());
    const int taller = size.height() - laid_.height();
    const int upperShare = taller / 2;
    const int lowerShare = taller - upperShare;
    const auto contains = [](const QRect& outer, const QRect& inner) {
        return outer.top() <= inner.top() && outer.bottom() >= inner.bottom();
    };
    for (const Control& control : controls_) {
        QRect placed = control.laid;
        // Down: with the bottom of each list above the control.
        if (placed.top() > lower_.bottom()) {
            placed.translate(0, taller);
        } else if (placed.top() > upper_.bottom()) {
            placed.translate(0, upperShare);
        }
        // Taller: a list and the group around it.
        if (contains(control.laid, upper_)) {
            placed.setHeight(placed.height() + upperShare);
        }
        if (contains(control.laid, lower_)) {
            placed.setHeight(placed.height() + lowerShare);
        }
        // Across: what spans the lists grows with them, the rest keeps its proportion.
        if (control.laid.width() >= upper_.width()) {
            placed.setWidth(placed.width() + wider);
        } else {
            const double share = std::clamp(
                (control.laid.center().x() - upper_.left()) / double(upper_.width()), 0.0, 1.0);
            placed.translate(static_cast<int>(wider * share + 0.5), 0);
        }
        control.widget->setGeometry(placed);
    }
}

} // namespace fenwick
