#pragma once

#include "notify/Menu.h"
#include "notify/PopupPlacement.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <optional>

class QMenu;

namespace platform {

// Shows a popup menu on behalf of an owner, whose command table receives the id of the chosen
// item once the menu has closed.
class MenuTracker
{
public:
    using CommandHandler = std::function<void(unsigned id)>;

    virtual ~MenuTracker() = default;
    // Shows the popup with a corner at the point the display server gave, or at the mouse
    // position without one. False when nothing was shown.
    virtual bool TrackPopupMenu(const Menu& popup, std::optional<ScreenPoint> at,
                                CommandHandler onCommand) = 0;
    // Closes the popup on screen, if any, choosing nothing.
    virtual void EndMenu() = 0;
};

// The popup as a QMenu, opened with QMenu::popup so that the event loop keeps running (a
// blocking run would stall StatusNotifierItem hosts). While one menu is open, or waiting to
// open, a second request is refused, so that a double click never stacks two menus. A menu
// waits for the mouse buttons to be released: some notification areas report a click on the
// press, and while the button is down the area holds the pointer, so the menu could not take it
// and would never learn of a click beside it.
class QMenuTracker : public MenuTracker
{
public:
    bool TrackPopupMenu(const Menu& popup, std::optional<ScreenPoint> at,
                        CommandHandler onCommand) override;
    void EndMenu() override;

    // The menu on screen, nullptr when none is.
    QMenu* OpenMenu() const;

private:
    // The click that closed a menu by a press beside it, from the press until shortly after the
    // release: a request to show a menu meanwhile comes from that same click.
    class ClosingClick
    {
    public:
        void Start();
        bool Lasts() const;

    private:
        void WaitForRelease();

        bool m_held = false;
        QElapsedTimer m_sinceRelease;
        QObject m_looks; // the context of the timed looks at the buttons
    };

    void PopupOnceReleased(QPoint position, int looksLeft);

    QPointer<QMenu> m_open;
    QPointer<QMenu> m_waiting; // for the mouse buttons to be released
    ClosingClick m_closingClick;
};

} // namespace platform
