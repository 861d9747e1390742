#pragma once

#include "Menu.h"

#include <optional>
#include <string_view>

namespace platform {

// The two kinds of notification area on Linux desktops. A StatusNotifierItem host (KDE Plasma,
// the AppIndicator extension of GNOME, XFCE, LXQt, waybar, ...) talks to the program over D-Bus
// and can draw the menus the icon exports; an XEmbed tray embeds the icon's window and leaves
// every click to the program.
enum class TrayHost
{
    None,
    XEmbed,
    StatusNotifier
};

// Where icons go: the StatusNotifierItem host when one is registered, else an XEmbed tray. While
// the StatusNotifierWatcher has not answered (it may never), nothing is chosen: an XEmbed icon
// would make Qt ask that watcher again, and wait for it.
TrayHost ChooseTrayHost(std::optional<bool> statusNotifierHostRegistered, bool xembedTrayOwned);

// How the program is shown on the desktop: an X11 session, an X client of XWayland in a Wayland
// session, or a Wayland client.
enum class DisplaySession
{
    X11,
    XWayland,
    Wayland
};

// What the program's StatusNotifierItem asks of its host.
struct StatusNotifierPlan
{
    // The host draws one menu for every click (ItemIsMenu): the left-click menu, then the
    // right-click menu. Otherwise it draws the right-click menu only and reports left clicks.
    bool hostDrawsBothMenus = false;
    // Activate and ContextMenu show the program's own popups at the host's point; otherwise they
    // are refused, so that hosts fall back to drawing the menu themselves.
    bool ownPopups = true;
};

// The plan for the host whose StatusNotifierWatcher runs in the named program:
// * GNOME Shell's AppIndicator extension draws the exported menu on a single left click and
//   calls Activate only for a double click; an item that refuses Activate gets the menu at once
//   on every left click, with no wait for a second one.
// * In a Wayland session a popup of the program cannot be placed at the icon (a Wayland client)
//   or closed by a click on a Wayland surface such as the panel (an X client), while the hosts'
//   own menus open at the icon and close natively. An X client still answers the hosts that
//   call Activate anyway.
StatusNotifierPlan PlanStatusNotifierItem(std::string_view watcherProgram, DisplaySession session);

// The menu the host draws: the right-click menu, or, where it draws one menu for every click, the
// left-click menu's items, a separator and the right-click menu's items. Either may be missing.
Menu MenuForHost(const StatusNotifierPlan& plan, const Menu* leftClick, const Menu* rightClick);

} // namespace platform
