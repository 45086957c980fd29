// The program's pictures, drawn as SVG resources and rendered at the size a control shows
// them.
#pragma once

#include <QIcon>
#include <QLatin1String>
#include <QList>
#include <QPixmap>
#include <QString>

class QLabel;

namespace fenwick::pictures {

// Resource names.
inline constexpr QLatin1String kApplication(":/pictures/application.svg");
inline constexpr QLatin1String kDownArrow(":/pictures/down_arrow.svg");
inline constexpr QLatin1String kGreenDisc(":/pictures/green_disc.svg");
inline constexpr QLatin1String kRedDisc(":/pictures/red_disc.svg");
inline constexpr QLatin1String kWarning(":/pictures/warning.svg");
inline constexpr QLatin1String kFailure(":/pictures/failure.svg");

// A picture fitted into `size` (device-independent pixels) keeping its proportions, centred,
// for a screen of the given pixel ratio.
QPixmap Render(const QString& resource, QSize size, qreal devicePixelRatio = 1.0);

// An icon that has the picture at the usual icon sizes.
QIcon Icon(const QString& resource);

// The window icon, the About box's picture and the minimised window's.
QIcon ApplicationIcon();

// The status image list: image 0 the warning sign, image 1 the failure sign.
QList<QIcon> StatusImages();

// Shows a picture filling a picture control.
void Show(QLabel& label, const QString& resource);

} // namespace fenwick::pictures
