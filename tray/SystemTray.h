#pragma once

#include "notify/MenuTracking.h"
#include "notify/NotifyIcon.h"

#include <string>

// The program's icon in the notification area. It turns the clicks on the icon into popup
// menus whose commands go to the owner (the main window): a left click shows the entry menu
// lent by the owner, a right click the command menu, at the point the area gives or else at the
// mouse. The icon also carries both menus for notification areas that draw an icon's menus
// themselves (which of them each area draws is the area's business); when such an area opens its
// menu, the popup of the program's own closes.
class CSystemTray
{
public:
    CSystemTray(platform::NotifyIconService& service, platform::MenuTracker& tracker,
                platform::MenuTracker::CommandHandler owner);
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Starts listening to the notification area and adds the icon. False when the icon could not
    // be added.
    bool Create(const std::string& tip, const QIcon& icon, unsigned iconId);
    void HideIcon();
    void ShowIcon();
    void RemoveIcon();
    // Holds the menu whose first popup a left click shows; the menu stays the caller's, but its
    // contents are destroyed with the tray icon. The area gets a copy of its first popup. True
    // when a menu was given.
    bool SetLeftClickMenu(platform::Menu* menu);
    // 1 when the click was one of this icon's, 0 otherwise or when there was no menu to show.
    int OnIconNotification(unsigned iconId, unsigned mouseMessage,
                           std::optional<platform::ScreenPoint> menuPoint = std::nullopt);

    // Whether Create has run (the original's hidden window exists).
    bool HasWindow() const { return m_bWindow; }
    bool IsEnabled() const { return m_bEnabled; }
    bool IsHidden() const { return m_bHidden; }

private:
    // A copy of the first popup of the held menu, for the area; nullptr without one.
    std::shared_ptr<const platform::Menu> LeftClickPopupCopy() const;

    platform::NotifyIconService& m_service;
    platform::MenuTracker& m_tracker;
    platform::MenuTracker::CommandHandler m_owner;
    bool m_bWindow = false;
    bool m_bEnabled = false;
    bool m_bHidden = false;
    platform::NotifyIconData m_nid;
    platform::Menu* m_pLeftClickMenu = nullptr;
};
