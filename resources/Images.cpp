#include "Images.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

// The pictures live in a static library; registering them explicitly keeps the linker from
// dropping them. The macro must be used outside any namespace.
static void RegisterImages()
{
    Q_INIT_RESOURCE(telmo);
}

namespace telmo {

namespace {

// The path of an existing picture, or an empty string.
QString ImagePath(int number)
{
    [[maybe_unused]] static const bool registered = (RegisterImages(), true);
    QString path = QStringLiteral(":/images/%1.svg").arg(number);
    return QFile::exists(path) ? path : QString();
}

} // namespace

QIcon ImageIcon(int number)
{
    const QString path = ImagePath(number);
    return path.isEmpty() ? QIcon() : QIcon(path);
}

QPixmap ImagePixmap(int number, QSize size, qreal devicePixelRatio)
{
    const QString path = ImagePath(number);
    if (path.isEmpty() || size.isEmpty())
        return {};
    QSvgRenderer renderer(path);
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QPixmap ImagePixmap(int number, QSize size)
{
    return ImagePixmap(number, size, qGuiApp->devicePixelRatio());
}

} // namespace telmo
