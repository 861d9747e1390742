#include "NotifyIcon.h"

#include "MenuTracking.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace platform {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

// A watcher that does not answer must not freeze the program's looks for an area.
constexpr int kWatcherTimeoutMs = 1000;
constexpr int kLookForAreaIntervalMs = 500;

// The X screen the program's display names (":0.1" is screen 1), as Qt connects to it.
int DisplayScreenNumber()
{
    const char* display = std::getenv("DISPLAY");
    const char* colon = display ? std::strrchr(display, ':') : nullptr;
    const char* dot = colon ? std::strchr(colon, '.') : nullptr;
    return dot ? std::atoi(dot + 1) : 0;
}

} // namespace

TrayHost ChooseTrayHost(bool statusNotifierHostRegistered, bool xembedTrayOwned)
{
    if (statusNotifierHostRegistered)
        return TrayHost::StatusNotifier;
    return xembedTrayOwned ? TrayHost::XEmbed : TrayHost::None;
}

bool DesktopTrayHostProbe::StatusNotifierHostRegistered() const
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kWatcherService))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, "/StatusNotifierWatcher",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kWatcherTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

bool DesktopTrayHostProbe::XEmbedTrayOwned() const
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Other platforms (offscreen among them) may answer as X11 applications without a
    // connection to a display.
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || QGuiApplication::platformName() != "xcb")
        return false;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DisplayScreenNumber());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.data()),
        nullptr);
    bool owned = false;
    if (atom && atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        owned = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
    }
    std::free(atom);
    return owned;
}

SystemTrayIconService::SystemTrayIconService(const TrayHostProbe& probe) : m_probe(probe)
{
    m_lookForArea.setInterval(kLookForAreaIntervalMs);
    QObject::connect(&m_lookForArea, &QTimer::timeout, this,
                     &SystemTrayIconService::ShowWaitingIcons);
}

SystemTrayIconService::~SystemTrayIconService()
{
    // Each tray icon goes before the menu it shows.
    for (auto& entry : m_icons)
        delete entry.second.shown;
}

bool SystemTrayIconService::Add(const NotifyIconData& icon)
{
    if (m_icons.count(icon.id))
        return false;
    m_icons.emplace(icon.id, Icon{icon, nullptr, nullptr});
    ShowWaitingIcons();
    return true;
}

bool SystemTrayIconService::Delete(unsigned id)
{
    auto found = m_icons.find(id);
    if (found == m_icons.end())
        return false;
    delete found->second.shown;
    m_icons.erase(found);
    return true;
}

void SystemTrayIconService::SetCallback(Callback callback)
{
    m_callback = std::move(callback);
}

TrayHost SystemTrayIconService::ProbedHost() const
{
    return ChooseTrayHost(m_probe.StatusNotifierHostRegistered(), m_probe.XEmbedTrayOwned());
}

bool SystemTrayIconService::IsAreaAvailable() const
{
    return ProbedHost() != TrayHost::None;
}

void SystemTrayIconService::ShowWaitingIcons()
{
    const bool waiting = std::any_of(m_icons.begin(), m_icons.end(),
                                     [](const auto& entry) { return !entry.second.shown; });
    if (!waiting) {
        m_lookForArea.stop();
        return;
    }
    // Chosen once, like Qt's own choice; a restarted watcher is followed by OnWatcherReplaced.
    if (m_host == TrayHost::None)
        m_host = ProbedHost();
    if (m_host == TrayHost::None) {
        if (!m_lookForArea.isActive())
            m_lookForArea.start();
        return;
    }
    m_lookForArea.stop();
    if (m_host == TrayHost::StatusNotifier && !m_watcherWatch) {
        m_watcherWatch = new QDBusServiceWatcher(kWatcherService, QDBusConnection::sessionBus(),
                                                 QDBusServiceWatcher::WatchForRegistration, this);
        QObject::connect(m_watcherWatch, &QDBusServiceWatcher::serviceRegistered, this,
                         &SystemTrayIconService::OnWatcherReplaced);
    }
    for (auto& entry : m_icons) {
        if (!entry.second.shown)
            Show(entry.second);
    }
}

void SystemTrayIconService::OnWatcherReplaced()
{
    // Qt tells a new watcher about its icons itself, but not every watcher takes that second
    // registration; a new tray icon registers as the first one did.
    for (auto& entry : m_icons) {
        delete entry.second.shown;
        entry.second.shown = nullptr;
        entry.second.hostMenu.reset();
    }
    ShowWaitingIcons();
}

void SystemTrayIconService::Show(Icon& icon)
{
    auto* trayIcon = new QSystemTrayIcon(icon.data.icon, this);
    trayIcon->setToolTip(QString::fromLocal8Bit(icon.data.tip));
    const unsigned id = icon.data.id;
    QObject::connect(
        trayIcon, &QSystemTrayIcon::activated, this,
        [this, id](QSystemTrayIcon::ActivationReason reason) { OnActivated(id, reason); });
    if (m_host == TrayHost::StatusNotifier && icon.data.hostMenu) {
        icon.hostMenu = CreateQMenu(*icon.data.hostMenu);
        DeliverCommandsLater(*icon.hostMenu, icon.data.onHostMenuCommand);
        trayIcon->setContextMenu(icon.hostMenu.get());
    }
    trayIcon->show();
    icon.shown = trayIcon;
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
