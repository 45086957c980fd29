#include "pictures.h"

#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

// The resources live in this static library; registering them here, where every picture is
// loaded, keeps the linker from dropping them.
static void RegisterPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace fenwick::pictures {

namespace {

void EnsureRegistered() {
    static const bool registered = (RegisterPictures(), true);
    static_cast<void>(registered);
}

} // namespace

QPixmap Render(const QString& resource, QSize size, qreal devicePixelRatio) {
    EnsureRegistered();
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (!renderer.isValid() || size.isEmpty()) {
        return pixmap;
    }
    const QSizeF fitted = QSizeF(renderer.defaultSize()).scaled(size, Qt::KeepAspectRatio);
    const QRectF target(
        QPointF((size.width() - fitted.width()) / 2, (size.height() - fitted.height()) / 2),
        fitted);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, target);
    return pixmap;
}

QIcon Icon(const QString& resource) {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128}) {
        icon.addPixmap(Render(resource, QSize(side, side)));
    }
    return icon;
}

QIcon ApplicationIcon() {
    return Icon(kApplication);
}

QList<QIcon> StatusImages() {
    return {Icon(kWarning), Icon(kFailure)};
}

void Show(QLabel& label, const QString& resource) {
    label.setPixmap(Render(resource, label.size(), label.devicePixelRatioF()));
}

} // namespace fenwick::pictures
