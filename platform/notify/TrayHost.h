#pragma once

#include "notify/Menu.h"

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

// Whether the StatusNotifierItem host whose watcher runs in the named program, in an X11 or a
// Wayland session (the program a Wayland client or an X client of XWayland), is to draw every
// menu of the icon: one menu, the left-click menu then the right-click menu, for every click
// (ItemIsMenu), with Activate and ContextMenu refused, so that hosts which call them anyway fall
// back to drawing it. Otherwise the host draws the right-click menu and reports left clicks with
// their position, for the program's own popup there.
// * GNOME Shell's AppIndicator extension draws the exported menu on a single left click and
//   calls Activate only for a double click; refused, it draws the menu at once on every click.
// * In a Wayland session a popup of the program cannot be placed at the icon (a Wayland client)
//   nor learn of Escape or of a click on a Wayland surface such as the panel (an X client of
//   XWayland under GNOME Shell and KWin), while the hosts' own menus open at the icon and close
//   natively. Plasma calls Activate whatever ItemIsMenu says, and draws the menu when refused.
bool HostDrawsEveryMenu(std::string_view watcherProgram, bool waylandSession);

// The menu the host draws: the right-click menu, or, where it draws every menu, the left-click
// menu's items, a separator and the right-click menu's items. Either may be missing.
Menu MenuForHost(bool hostDrawsEveryMenu, const Menu* leftClick, const Menu* rightClick);

} // namespace platform
