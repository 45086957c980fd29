#include "enter_escape_filter.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace fenwick {

namespace {

bool InMenu(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (qobject_cast<const QMenuBar*>(widget) != nullptr ||
            qobject_cast<const QMenu*>(widget) != nullptr) {
            return true;
        }
    }
    return false;
}

} // namespace

void EnterEscapeFilter::Install(QWidget& window) {
    auto* filter = new EnterEscapeFilter(&window);
    window.installEventFilter(filter);
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!InMenu(control)) {
            control->installEventFilter(filter);
        }
    }
}

bool EnterEscapeFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace fenwick
