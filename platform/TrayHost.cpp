#include "TrayHost.h"

namespace platform {

TrayHost ChooseTrayHost(std::optional<bool> statusNotifierHostRegistered, bool xembedTrayOwned)
{
    if (!statusNotifierHostRegistered)
        return TrayHost::None;
    if (*statusNotifierHostRegistered)
        return TrayHost::StatusNotifier;
    return xembedTrayOwned ? TrayHost::XEmbed : TrayHost::None;
}

StatusNotifierPlan PlanStatusNotifierItem(std::string_view watcherProgram, DisplaySession session)
{
    if (watcherProgram == "gnome-shell")
        return {true, false};
    return {session != DisplaySession::X11, session != DisplaySession::Wayland};
}

Menu MenuForHost(const StatusNotifierPlan& plan, const Menu* leftClick, const Menu* rightClick)
{
    Menu menu;
    if (plan.hostDrawsBothMenus && leftClick && leftClick->GetMenuItemCount() > 0) {
        menu.AppendCopyOf(*leftClick);
        if (rightClick)
            menu.AppendSeparator();
    }
    if (rightClick)
        menu.AppendCopyOf(*rightClick);
    return menu;
}

} // namespace platform
