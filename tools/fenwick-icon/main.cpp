// Renders the application's SVG icon as a square PNG of the given size, for the icon theme's
// fixed-size folders, so that no image tool is needed to build or package the program.
//   fenwick-icon SVG SIZE PNG
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    bool sized = false;
    const int size = argc == 4 ? QString::fromLocal8Bit(argv[2]).toInt(&sized) : 0;
    if (!sized || size <= 0 || size > 4096) {
        std::fprintf(stderr, "usage: fenwick-icon SVG SIZE PNG\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "fenwick-icon: %s is not a usable SVG\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "fenwick-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
