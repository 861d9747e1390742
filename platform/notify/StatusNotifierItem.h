#pragma once

#include "notify/NotifyIcon.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>

namespace platform {

class DBusMenuExporter;

// The StatusNotifierItem types: an icon image (ARGB32, in network byte order) and a tooltip.
struct SniIconPixmap
{
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniIconPixmaps = QList<SniIconPixmap>;

struct SniToolTip
{
    QString iconName;
    SniIconPixmaps image;
    QString title;
    QString text;
};

// One icon in a StatusNotifierItem host: org.kde.StatusNotifierItem at /StatusNotifierItem and its
// menu, com.canonical.dbusmenu at /MenuBar, on a bus connection of its own, registered with the
// watcher by its path. Closing that connection takes the icon away.
class StatusNotifierItem : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconThemePath READ NoName)
    Q_PROPERTY(QString IconName READ NoName)
    Q_PROPERTY(platform::SniIconPixmaps IconPixmap READ IconPixmap)
    Q_PROPERTY(QString OverlayIconName READ NoName)
    Q_PROPERTY(platform::SniIconPixmaps OverlayIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionIconName READ NoName)
    Q_PROPERTY(platform::SniIconPixmaps AttentionIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ NoName)
    Q_PROPERTY(platform::SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ MenuPath)

public:
    using ClickHandler = std::function<void(unsigned mouseMessage, ScreenPoint at)>;

    StatusNotifierItem(const BusConnector& connect, const NotifyIconData& icon,
                       ClickHandler onClick);
    ~StatusNotifierItem() override;

    // The menus, and whether the host is to draw every menu (see HostDrawsEveryMenu); a host
    // reads ItemIsMenu when the item registers.
    void Show(const NotifyIconData& icon, bool hostDrawsEveryMenu);
    // Tells the StatusNotifierWatcher about the item: at start and whenever a new one took over.
    void RegisterWithWatcher();

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const;
    QString Title() const { return m_title; }
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    // Names of images in an icon theme: none, the images are sent.
    QString NoName() const { return {}; }
    SniIconPixmaps IconPixmap() const { return m_pixmaps; }
    SniIconPixmaps NoPixmaps() const { return {}; }
    SniToolTip ToolTip() const { return {{}, {}, m_title, {}}; }
    bool ItemIsMenu() const { return m_hostDrawsEveryMenu; }
    QDBusObjectPath MenuPath() const;

public slots:
    void Activate(int x, int y);
    void ContextMenu(int x, int y);
    void SecondaryActivate(int x, int y);

private:
    // A click for the program's own popup, or refused where the host draws every menu.
    void Click(unsigned mouseMessage, int x, int y);
    void TryToRegister();

    QString m_connectionName;
    QDBusConnection m_connection;
    QString m_title;
    SniIconPixmaps m_pixmaps;
    bool m_hostDrawsEveryMenu = false;
    ClickHandler m_onClick;
    DBusMenuExporter* m_menu; // a child
    int m_registrationsLeft = 0;
};

QDBusArgument& operator<<(QDBusArgument& argument, const SniIconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniIconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& toolTip);

} // namespace platform

Q_DECLARE_METATYPE(platform::SniIconPixmap)
Q_DECLARE_METATYPE(platform::SniToolTip)
