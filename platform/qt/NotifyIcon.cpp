#include "NotifyIcon.h"

namespace platform {

SystemTrayIconService::SystemTrayIconService() = default;
SystemTrayIconService::~SystemTrayIconService() = default;

bool SystemTrayIconService::Add(const NotifyIconData& icon)
{
    if (m_icons.count(icon.id))
        return false;
    auto* trayIcon = new QSystemTrayIcon(icon.icon, this);
    trayIcon->setToolTip(QString::fromLocal8Bit(icon.tip));
    const unsigned id = icon.id;
    QObject::connect(
        trayIcon, &QSystemTrayIcon::activated, this,
        [this, id](QSystemTrayIcon::ActivationReason reason) { OnActivated(id, reason); });
    trayIcon->show();
    m_icons.emplace(id, trayIcon);
    return true;
}

bool SystemTrayIconService::Delete(unsigned id)
{
    auto found = m_icons.find(id);
    if (found == m_icons.end())
        return false;
    delete found->second;
    m_icons.erase(found);
    return true;
}

void SystemTrayIconService::SetCallback(Callback callback)
{
    m_callback = std::move(callback);
}

bool SystemTrayIconService::IsAreaAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

unsigned SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return kLeftButtonUp;
    case QSystemTrayIcon::Context:
        return kRightButtonUp;
    case QSystemTrayIcon::DoubleClick:
        return kLeftButtonDoubleClick;
    case QSystemTrayIcon::MiddleClick:
        return kMiddleButtonUp;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

void SystemTrayIconService::OnActivated(unsigned id, QSystemTrayIcon::ActivationReason reason)
{
    const unsigned message = MouseMessageFor(reason);
    if (message != 0 && m_callback)
        m_callback(id, message);
}

} // namespace platform
