#include "notify/NotifyIcon.h"

#include "notify/StatusNotifierItem.h"
#include "notify/TrayHostProbe.h"

#include <QGuiApplication>
#include <algorithm>

namespace platform {

namespace {

constexpr int kLookForAreaIntervalMs = 500;

// A Wayland session, whether the program runs as a Wayland client or through XWayland.
bool InWaylandSession()
{
    return QGuiApplication::platformName() == "wayland" ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == "wayland";
}

} // namespace

QDBusConnection ConnectToSessionBus(const QString& name)
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

DesktopNotifyIconService::DesktopNotifyIconService(TrayHostProbe& probe, BusConnector connect)
    : m_probe(probe), m_connect(std::move(connect))
{
    m_lookForArea.setInterval(kLookForAreaIntervalMs);
    QObject::connect(&m_lookForArea, &QTimer::timeout, this, [this] {
        m_probe.Look();
        ShowWaitingIcons();
    });
    m_probe.SetListener([this](bool newWatcher) { OnProbeChanged(newWatcher); });
}

DesktopNotifyIconService::~DesktopNotifyIconService()
{
    m_probe.SetListener(nullptr);
}

bool DesktopNotifyIconService::Add(const NotifyIconData& icon)
{
    if (m_icons.count(icon.id))
        return false;
    m_icons[icon.id].data = icon;
    ShowWaitingIcons();
    return true;
}

bool DesktopNotifyIconService::Modify(const NotifyIconData& icon)
{
    auto found = m_icons.find(icon.id);
    if (found == m_icons.end())
        return false;
    found->second.data = icon;
    if (found->second.item)
        found->second.item->Show(icon, HostDrawsEveryMenu());
    return true;
}

bool DesktopNotifyIconService::Delete(unsigned id)
{
    return m_icons.erase(id) > 0;
}

void DesktopNotifyIconService::SetCallback(Callback callback)
{
    m_callback = std::move(callback);
}

bool DesktopNotifyIconService::IsAreaAvailable() const
{
    return ChooseTrayHost(m_probe.StatusNotifierHostRegistered(), m_probe.XEmbedTrayOwned()) !=
           TrayHost::None;
}

bool DesktopNotifyIconService::HostDrawsEveryMenu() const
{
    return platform::HostDrawsEveryMenu(m_probe.WatcherProgram().value_or(""), InWaylandSession());
}

void DesktopNotifyIconService::OnProbeChanged(bool newWatcher)
{
    // The items know the old watcher only; the new one may belong to another kind of host.
    m_registrationDue |= newWatcher && m_host == TrayHost::StatusNotifier;
    // Not before a host has registered with it, as at the start: a host still starting may miss
    // an item that comes first (waybar reads the items it was told of, then listens for more).
    if (m_registrationDue && m_probe.StatusNotifierHostRegistered().value_or(false)) {
        m_registrationDue = false;
        for (auto& [id, icon] : m_icons) {
            if (icon.item) {
                icon.item->Show(icon.data, HostDrawsEveryMenu());
                icon.item->RegisterWithWatcher();
            }
        }
    }
    ShowWaitingIcons();
}

void DesktopNotifyIconService::ShowWaitingIcons()
{
    const bool waiting = std::any_of(m_icons.begin(), m_icons.end(), [](const auto& entry) {
        return !entry.second.xembed && !entry.second.item;
    });
    if (!waiting) {
        m_lookForArea.stop();
        return;
    }
    // Chosen once, like Qt's own choice; a new watcher is followed by OnProbeChanged. What a
    // StatusNotifierItem host is to draw depends on the watcher's program.
    if (m_host == TrayHost::None) {
        const TrayHost host =
            ChooseTrayHost(m_probe.StatusNotifierHostRegistered(), m_probe.XEmbedTrayOwned());
        if (host != TrayHost::StatusNotifier || m_probe.WatcherProgram())
            m_host = host;
    }
    if (m_host == TrayHost::None) {
        if (!m_lookForArea.isActive())
            m_lookForArea.start();
        return;
    }
    m_lookForArea.stop();
    for (auto& [id, icon] : m_icons) {
        if (!icon.xembed && !icon.item)
            Show(icon);
    }
}

void DesktopNotifyIconService::Show(Icon& icon)
{
    const unsigned id = icon.data.id;
    if (m_host == TrayHost::StatusNotifier) {
        icon.item = std::make_unique<StatusNotifierItem>(
            m_connect, icon.data,
            [this, id](unsigned mouseMessage, ScreenPoint at) { OnClick(id, mouseMessage, at); });
        icon.item->Show(icon.data, HostDrawsEveryMenu());
        icon.item->RegisterWithWatcher();
        return;
    }
    icon.xembed = std::make_unique<QSystemTrayIcon>(icon.data.icon, this);
    icon.xembed->setToolTip(QString::fromLocal8Bit(icon.data.tip));
    QObject::connect(icon.xembed.get(), &QSystemTrayIcon::activated, this,
                     [this, id](QSystemTrayIcon::ActivationReason reason) {
                         OnClick(id, MouseMessageFor(reason), std::nullopt);
                     });
    icon.xembed->show();
}

unsigned DesktopNotifyIconService::MouseMessageFor(QSystemTrayIcon::ActivationReason reason)
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

void DesktopNotifyIconService::OnClick(unsigned id, unsigned mouseMessage,
                                       std::optional<ScreenPoint> menuPoint)
{
    if (mouseMessage != 0 && m_callback)
        m_callback(id, mouseMessage, menuPoint);
}

} // namespace platform
