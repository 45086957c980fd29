#include "dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

namespace fenwick {

namespace {

// The average width is taken over the 52 Latin letters, rounded as dialog units always have
// been; a font's own average-width field is computed differently from font to font.
int AverageCharWidth(const QFontMetrics& metrics) {
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (width / 26 + 1) / 2;
}

// value * numerator / denominator, rounded to the nearest integer.
int Scale(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

DialogUnits::DialogUnits(const QFontMetrics& metrics)
    : baseX_(AverageCharWidth(metrics)), baseY_(metrics.height()) {}

int DialogUnits::ToPixelsX(int x) const {
    return Scale(x, baseX_, 4);
}

int DialogUnits::ToPixelsY(int y) const {
    return Scale(y, baseY_, 8);
}

QRect DialogUnits::ToPixels(const QRect& rect) const {
    const int left = ToPixelsX(rect.x());
    const int top = ToPixelsY(rect.y());
    return {left, top, ToPixelsX(rect.x() + rect.width()) - left,
            ToPixelsY(rect.y() + rect.height()) - top};
}

QSize DialogUnits::ToPixels(const QSize& size) const {
    return {ToPixelsX(size.width()), ToPixelsY(size.height())};
}

void DialogUnits::Lay(QWidget& client) const {
    for (QWidget* control : client.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        control->setGeometry(ToPixels(control->geometry()));
    }
    client.setFixedSize(ToPixels(client.minimumSize()));
}

} // namespace fenwick
