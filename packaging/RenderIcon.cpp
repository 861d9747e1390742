// Draws the program's icon as a PNG file of one size, for the icon theme's fixed sizes, with
// the renderer that draws it in the program.
//
// Usage: telmo_render_icon <SVG file> <size in pixels> <PNG file>

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("Usage: telmo_render_icon <SVG file> <size in pixels> <PNG file>\n", stderr);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    bool isNumber = false;
    const int size = QString(argv[2]).toInt(&isNumber);
    if (!svg.isValid() || !isNumber || size <= 0) {
        std::fprintf(stderr, "telmo_render_icon: cannot draw %s at %s pixels\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "telmo_render_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
