// Dialog units, the units the window layouts are written in: a quarter of the dialog font's
// average character width across, an eighth of its height down. Layouts keep their
// proportions whatever font the system resolves for the dialog font.
#pragma once

#include <QRect>
#include <QSize>

class QFontMetrics;
class QWidget;

namespace fenwick {

class DialogUnits {
public:
    explicit DialogUnits(const QFontMetrics& metrics);

    // Edges are converted one by one, so that controls that meet in dialog units meet on
    // screen too.
    QRect ToPixels(const QRect& rect) const;
    QSize ToPixels(const QSize& size) const;

    // Places a window's controls: `client`'s children carry their geometry in dialog units and
    // `client` its fixed size as its minimum size; all of it becomes pixels.
    void Lay(QWidget& client) const;

private:
    int ToPixelsX(int x) const;
    int ToPixelsY(int y) const;

    int baseX_;
    int baseY_;
};

} // namespace fenwick
