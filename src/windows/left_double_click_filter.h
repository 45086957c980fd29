// Double-clicks in a list as the operator means them: only the left button's count, and a
// double-click on blank space counts too (the list's own signal says nothing then).
#pragma once

#include <QObject>

class QAbstractItemView;

namespace fenwick {

class LeftDoubleClickFilter final : public QObject {
    Q_OBJECT

public:
    // Watches `view`'s viewport; the filter belongs to the view.
    static LeftDoubleClickFilter* Install(QAbstractItemView& view);

signals:
    // A left-button double-click, on a row (`onRow`) or on blank space.
    void leftDoubleClicked(bool onRow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit LeftDoubleClickFilter(QAbstractItemView& view);

    QAbstractItemView& view_;
    QWidget* viewport_;
};

} // namespace fenwick
