// The yardstick for telmo's start-up and memory: a Qt program that only shows one icon in the
// notification area.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::blue);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.setToolTip("Minimal");
    icon.show();
    return app.exec();
}
