#pragma once

// The notification area and the menus of its icon: the menu model (Menu.h), which kind of area the
// desktop has (TrayHost.h: a StatusNotifierItem host over D-Bus, or an XEmbed tray under X), the
// icon in either, its menus exported to hosts that draw them (DBusMenuExporter.h) and the program's
// own popups next to a click (MenuTracking.h, PopupPlacement.h). An icon shows as soon as an area
// is there, a panel that never answers on the bus never holds up the program, and never are two
// menus on the screen at once.

#include "notify/Menu.h"
#include "notify/PopupPlacement.h"
#include "notify/TrayHost.h"

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class StatusNotifierItem;
class TrayHostProbe;

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
    // The menus for notification areas that draw an icon's menus themselves: the right-click menu
    // and, where the area draws one menu for every click, the left-click menu before it. Their
    // chosen commands go to onMenuCommand once the area's call has returned; onAreaMenuOpened
    // runs when the area opens its menu. Areas that leave menus to the program never get them.
    std::shared_ptr<const Menu> leftClickMenu;
    std::shared_ptr<const Menu> rightClickMenu;
    std::function<void(unsigned id)> onMenuCommand;
    std::function<void()> onAreaMenuOpened;
};

// The desktop's notification area: icons added, changed and deleted by id, and one callback that
// receives the icon id and the mouse message of every click on one of them that the area leaves
// to the program, with the point where the area wants a menu when it gives one.
class NotifyIconService
{
public:
    using Callback = std::function<void(unsigned iconId, unsigned mouseMessage,
                                        std::optional<ScreenPoint> menuPoint)>;

    virtual ~NotifyIconService() = default;
    // True when the icon is registered; it shows now or, when the desktop has no notification
    // area at the moment, as soon as one appears.
    virtual bool Add(const NotifyIconData& icon) = 0;
    // Gives a registered icon new data (its menus); false for an id never added.
    virtual bool Modify(const NotifyIconData& icon) = 0;
    virtual bool Delete(unsigned id) = 0;
    virtual void SetCallback(Callback callback) = 0;
    // Whether the desktop has a notification area, as far as it has answered so far.
    virtual bool IsAreaAvailable() const = 0;
};

// Opens a connection of its own to the bus the icons are shown on, under the name given.
using BusConnector = std::function<QDBusConnection(const QString& name)>;
QDBusConnection ConnectToSessionBus(const QString& name);

// The notification area: a StatusNotifierItem of the program's own where a StatusNotifierItem
// host is registered (it gives the click's position and exports the menus each host needs, see
// HostDrawsEveryMenu), QSystemTrayIcon beside an XEmbed tray, which leaves every click to
// the program. Qt settles on the kind of area once per process, when its first tray icon is made,
// and never looks again; so no icon is made before an area is there, and icons added earlier wait
// for one. When a new StatusNotifierWatcher takes over (a panel restarted), the items register
// with it.
class DesktopNotifyIconService : public QObject, public NotifyIconService
{
public:
    DesktopNotifyIconService(TrayHostProbe& probe, BusConnector connect = ConnectToSessionBus);
    ~DesktopNotifyIconService() override;

    bool Add(const NotifyIconData& icon) override;
    bool Modify(const NotifyIconData& icon) override;
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
        std::unique_ptr<QSystemTrayIcon> xembed;
        std::unique_ptr<StatusNotifierItem> item;
    };

    bool HostDrawsEveryMenu() const;
    void OnProbeChanged(bool newWatcher);
    void ShowWaitingIcons();
    void Show(Icon& icon);
    void OnClick(unsigned id, unsigned mouseMessage, std::optional<ScreenPoint> menuPoint);

    TrayHostProbe& m_probe;
    BusConnector m_connect;
    TrayHost m_host = TrayHost::None;
    // A new watcher came, and the items are yet to register with it.
    bool m_registrationDue = false;
    std::map<unsigned, Icon> m_icons;
    QTimer m_lookForArea;
    Callback m_callback;
};

} // namespace platform
