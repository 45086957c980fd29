// The TrapIndicator beside "View trap": red once a trap from a monitored device was accepted,
// green again when the traps are viewed. The main window shows what it signals.
#pragma once

#include <QObject>

namespace fenwick {

class TrapIndicator final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void ShowTrapArrived();
    void ShowTrapsViewed();

signals:
    // true: red, a trap has arrived; false: green, the traps were viewed.
    void trapIndicatorChanged(bool trapArrived);
};

} // namespace fenwick
