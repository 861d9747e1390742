#pragma once

#include "Menu.h"

#include <QPointer>
#include <functional>
#include <memory>

class QMenu;

namespace platform {

// Shows a popup menu at the mouse position on behalf of an owner, whose command table receives
// the id of the chosen item once the menu has closed.
class MenuTracker
{
public:
    using CommandHandler = std::function<void(unsigned id)>;

    virtual ~MenuTracker() = default;
    // False when nothing was shown.
    virtual bool TrackPopupMenu(const Menu& popup, CommandHandler onCommand) = 0;
};

// The popup as a QMenu, opened with QMenu::popup so that the event loop keeps running (a
// blocking run would stall StatusNotifierItem hosts). While one menu is open a second request
// is refused, so that a double click never stacks two menus.
class QMenuTracker : public MenuTracker
{
public:
    bool TrackPopupMenu(const Menu& popup, CommandHandler onCommand) override;

    // The menu on screen, nullptr when none is.
    QMenu* OpenMenu() const;

private:
    QPointer<QMenu> m_open;
};

// The QMenu showing a menu model; '&' shows as itself, a tab starts the right-hand column.
std::unique_ptr<QMenu> CreateQMenu(const Menu& menu);

// Every command item of the QMenu and its submenus, when chosen, hands its id to onCommand from
// the event loop, once whatever reported the choice has returned: the popup closing, or the
// D-Bus call of a tray host that showed the menu itself (which must never wait on a dialog).
void DeliverCommandsLater(QMenu& menu, MenuTracker::CommandHandler onCommand);

} // namespace platform
