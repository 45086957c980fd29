// A window's controls at any size from the size its layout gives: two lists (and the group
// boxes around them) share the extra height half and half and take all the extra width, while
// every other control keeps its place relative to the lists: below a list's bottom it moves
// down with it, and across it moves in proportion to where it stands between the lists' edges.
#pragma once

#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace fenwick {

class GrowingLayout {
public:
    // Takes the children of `client` where they stand now (the laid-out size) as the layout;
    // `upperList` and `lowerList` are two of them.
    GrowingLayout(QWidget& client, const QWidget& upperList, const QWidget& lowerList);

    // The smallest client size: the lists at half their height, the width as laid out.
    QSize Minimum() const;
    QSize Laid() const { return laid_; }

    // Places the controls for a client of `size`.
    void Place(QSize size) const;

private:
    struct Control {
        QWidget* widget;
        QRect laid;
    };
    std::vector<Control> controls_;
    QSize laid_;
    QRect upper_;
    QRect lower_;
};

} // namespace fenwick
