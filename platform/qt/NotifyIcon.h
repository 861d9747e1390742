#pragma once

#include "Menu.h"

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QDBusServiceWatcher;
class QMenu;

namespace platform {

// Mouse messages of the notification-icon callback, numbered as on the original platform.
constexpr unsigned kLeftButtonUp = 514;
constexpr unsigned kLeftButtonDoubleClick = 515;
constexpr unsigned kRightButtonUp = 517;
constexpr unsigned kMiddleButtonUp = 520;

struct NotifyIconData
{
    unsigned id = 0;
    QIcon icon;
    std::string tip;
    // The menu for a right click where the notification area shows menus itself; its chosen
    // commands go to onHostMenuCommand. Areas that leave menus to the program never get it.
    std::shared_ptr<const Menu> hostMenu;
    std::function<void(unsigned id)> onHostMenuCommand;
};

// The desktop's notification area: icons added and deleted by id, and one callback that
// receives the icon id and the mouse message of every click on one of them that the area
// leaves to the program.
class NotifyIconService
{
public:
    using Callback = std::function<void(unsigned iconId, unsigned mouseMessage)>;

    virtual ~NotifyIconService() = default;
    // True when the icon is registered; it shows now or, when the desktop has no notification
    // area at the moment, as soon as one appears.
    virtual bool Add(const NotifyIconData& icon) = 0;
    virtual bool Delete(unsigned id) = 0;
    virtual void SetCallback(Callback callback) = 0;
    // Whether the desktop has a notification area right now.
    virtual bool IsAreaAvailable() const = 0;
};

// The two kinds of notification area on Linux desktops. A StatusNotifierItem host (KDE Plasma,
// the AppIndicator extension of GNOME, XFCE, LXQt, waybar, ...) talks to the program over
// D-Bus and shows the menu the icon exports; an XEmbed tray embeds the icon's window and leaves
// every click to the program.
enum class TrayHost
{
    None,
    XEmbed,
    StatusNotifier
};

// Where icons go when both kinds are there: the StatusNotifierItem host, as Qt's tray icon
// chooses too.
TrayHost ChooseTrayHost(bool statusNotifierHostRegistered, bool xembedTrayOwned);

// Looks at the desktop for the two kinds of notification area.
class TrayHostProbe
{
public:
    virtual ~TrayHostProbe() = default;
    virtual bool StatusNotifierHostRegistered() const = 0;
    virtual bool XEmbedTrayOwned() const = 0;
};

// The session bus's StatusNotifierWatcher and the X screen's system tray selection.
class DesktopTrayHostProbe : public TrayHostProbe
{
public:
    bool StatusNotifierHostRegistered() const override;
    bool XEmbedTrayOwned() const override;
};

// The notification area through QSystemTrayIcon. Qt settles on the kind of area once per
// process, when its first tray icon is made, and never looks again; so no QSystemTrayIcon is
// made before an area is there, and icons added earlier wait for one. On a StatusNotifierItem
// host the icon exports the host menu, which the host shows by itself; an XEmbed tray gets no
// menu attached (Qt would pop it on its own beside the program's), so there every click
// arrives as an activation, turned into the mouse messages above. When the StatusNotifierWatcher
// is replaced (a panel restarted), the icons are made anew, so that the new one knows them.
class SystemTrayIconService : public QObject, public NotifyIconService
{
public:
    explicit SystemTrayIconService(const TrayHostProbe& probe);
    ~SystemTrayIconService() override;

    bool Add(const NotifyIconData& icon) override;
    bool Delete(unsigned id) override;
    void SetCallback(Callback callback) override;
    bool IsAreaAvailable() const override;

    // The kind of area the icons show in; None while they wait for one.
    TrayHost Host() const { return m_host; }

    // The mouse message for an activation, 0 for one that carries no click.
    static unsigned MouseMessageFor(QSystemTrayIcon::ActivationReason reason);

private:
    struct Icon
    {
        NotifyIconData data;
        QSystemTrayIcon* shown = nullptr; // a child of the service once an area is there
        std::unique_ptr<QMenu> hostMenu;
    };

    TrayHost ProbedHost() const;
    void ShowWaitingIcons();
    void Show(Icon& icon);
    void OnWatcherReplaced();
    void OnActivated(unsigned id, QSystemTrayIcon::ActivationReason reason);

    const TrayHostProbe& m_probe;
    TrayHost m_host = TrayHost::None;
    std::map<unsigned, Icon> m_icons;
    QTimer m_lookForArea;
    QDBusServiceWatcher* m_watcherWatch = nullptr; // a child of the service
    Callback m_callback;
};

} // namespace platform
