// Keeps Enter and Escape from a window and its controls, so that neither key presses a button
// nor closes the window. Menus keep their own use of the keys.
#pragma once

#include <QObject>

class QWidget;

namespace fenwick {

class EnterEscapeFilter final : public QObject {
    Q_OBJECT

public:
    // Filters `window` and every control in it; the filter belongs to the window.
    static void Install(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace fenwick
