#include "SystemTray.h"

#include "MenuResources.h"
#include "ResourceIds.h"

namespace {

// The original record holds 64 characters with the terminating zero.
constexpr std::size_t kMaxTipLength = 63;

} // namespace

CSystemTray::CSystemTray(platform::NotifyIconService& service, platform::MenuTracker& tracker,
                         platform::MenuTracker::CommandHandler owner)
    : m_service(service), m_tracker(tracker), m_owner(std::move(owner))
{}

CSystemTray::~CSystemTray()
{
    if (m_pLeftClickMenu)
        m_pLeftClickMenu->DestroyMenu();
    RemoveIcon();
    if (m_bWindow)
        m_service.SetCallback(nullptr);
}

bool CSystemTray::Create(const std::string& tip, const QIcon& icon, unsigned iconId)
{
    m_bWindow = true;
    m_service.SetCallback(
        [this](unsigned id, unsigned mouseMessage, std::optional<platform::ScreenPoint> menuPoint) {
            OnIconNotification(id, mouseMessage, menuPoint);
        });
    m_nid = platform::NotifyIconData{iconId,
                                     icon,
                                     tip.substr(0, kMaxTipLength),
                                     nullptr,
                                     nullptr,
                                     m_owner,
                                     [&tracker = m_tracker] { tracker.EndMenu(); }};
    std::optional<platform::Menu> commands = tray::LoadMenu(tray::kCommandMenu);
    if (commands && commands->GetSubMenu(0))
        m_nid.rightClickMenu =
            std::make_shared<platform::Menu>(std::move(*commands->GetSubMenu(0)));
    m_nid.leftClickMenu = LeftClickPopupCopy();
    m_bEnabled = m_service.Add(m_nid);
    return m_bEnabled;
}

void CSystemTray::HideIcon()
{
    if (!m_bEnabled || m_bHidden)
        return;
    m_service.Delete(m_nid.id);
    m_bHidden = true;
}

void CSystemTray::ShowIcon()
{
    if (!m_bEnabled || !m_bHidden)
        return;
    m_service.Add(m_nid);
    m_bHidden = false;
}

void CSystemTray::RemoveIcon()
{
    if (!m_bEnabled)
        return;
    m_service.Delete(m_nid.id);
    m_bEnabled = false;
}

bool CSystemTray::SetLeftClickMenu(platform::Menu* menu)
{
    m_pLeftClickMenu = menu;
    m_nid.leftClickMenu = LeftClickPopupCopy();
    if (m_bEnabled)
        m_service.Modify(m_nid);
    return menu != nullptr;
}

std::shared_ptr<const platform::Menu> CSystemTray::LeftClickPopupCopy() const
{
    const platform::Menu* popup = m_pLeftClickMenu ? m_pLeftClickMenu->GetSubMenu(0) : nullptr;
    if (!popup)
        return nullptr;
    auto copy = std::make_shared<platform::Menu>();
    copy->AppendCopyOf(*popup);
    return copy;
}

int CSystemTray::OnIconNotification(unsigned iconId, unsigned mouseMessage,
                                    std::optional<platform::ScreenPoint> menuPoint)
{
    if (iconId != tray::kTrayIconId)
        return 0;
    switch (mouseMessage & 0xFFFF) {
    case platform::kRightButtonUp: {
        std::optional<platform::Menu> commands = tray::LoadMenu(tray::kCommandMenu);
        if (!commands || !commands->GetSubMenu(0))
            return 0;
        m_tracker.TrackPopupMenu(*commands->GetSubMenu(0), menuPoint, m_owner);
        break;
    }
    case platform::kLeftButtonUp:
        if (!m_pLeftClickMenu || !m_pLeftClickMenu->GetSubMenu(0))
            return 0;
        m_tracker.TrackPopupMenu(*m_pLeftClickMenu->GetSubMenu(0), menuPoint, m_owner);
        break;
    default:
        break;
    }
    return 1;
}
