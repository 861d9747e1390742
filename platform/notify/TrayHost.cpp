#include "notify/TrayHost.h"

namespace platform {

TrayHost ChooseTrayHost(std::optional<bool> statusNotifierHostRegistered, bool xembedTrayOwned)
{
    if (!statusNotifierHostRegistered)
        return TrayHost::None;
    if (*statusNotifierHostRegistered)
        return TrayHost::StatusNotifier;
    return xembedTrayOwned ? TrayHost::XEmbed : TrayHost::None;
}

bool HostDrawsEveryMenu(std::string_view watcherProgram, bool waylandSession)
{
    return watcherProgram == "gnome-shell" || waylandSession;
}

Menu MenuForHost(bool hostDrawsEveryMenu, const Menu* leftClick, const Menu* rightClick)
{
    Menu menu;
    if (hostDrawsEveryMenu && leftClick && leftClick->GetMenuItemCount() > 0) {
        menu.AppendCopyOf(*leftClick);
        if (rightClick)
            menu.AppendSeparator();
    }
    if (rightClick)
        menu.AppendCopyOf(*rightClick);
    return menu;
}

} // namespace platform
