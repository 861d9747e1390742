#include "notify/StatusNotifierItem.h"

#include "notify/DBusMenuExporter.h"
#include "notify/StatusNotifierWatch.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QImage>
#include <QTimer>
#include <QtEndian>

namespace platform {

namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");

// How often, and how far apart, a refused registration is tried again.
constexpr int kRegistrationTries = 40;
constexpr int kRegistrationRetryMs = 250;

// Hosts pick the size that suits their panel.
constexpr int kPixmapSizes[] = {16, 22, 32, 48, 64};

SniIconPixmaps PixmapsOf(const QIcon& icon)
{
    SniIconPixmaps pixmaps;
    for (int size : kPixmapSizes) {
        const QImage image =
            icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        SniIconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.argb.resize(qsizetype(image.width()) * image.height() * 4);
        auto* target = reinterpret_cast<quint32*>(pixmap.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *target++ = qToBigEndian(line[x]);
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

// Each item has a connection of its own: hosts tell items apart by their unique bus names.
QString NextConnectionName()
{
    static int instances = 0;
    return QStringLiteral("telmo-status-notifier-item-%1").arg(++instances);
}

void RegisterTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<SniIconPixmap>();
        qDBusRegisterMetaType<SniIconPixmaps>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    (void)registered;
}

} // namespace

StatusNotifierItem::StatusNotifierItem(const BusConnector& connect, const NotifyIconData& icon,
                                       ClickHandler onClick)
    : m_connectionName(NextConnectionName()), m_connection(connect(m_connectionName)),
      m_title(QString::fromLocal8Bit(icon.tip)), m_pixmaps(PixmapsOf(icon.icon)),
      m_onClick(std::move(onClick)),
      m_menu(new DBusMenuExporter({icon.onMenuCommand, icon.onAreaMenuOpened}, this))
{
    RegisterTypes();
    m_connection.registerObject(
        kItemPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
    m_connection.registerObject(kMenuPath, m_menu,
                                QDBusConnection::ExportAllSlots |
                                    QDBusConnection::ExportAllProperties |
                                    QDBusConnection::ExportAllSignals);
}

StatusNotifierItem::~StatusNotifierItem()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void StatusNotifierItem::Show(const NotifyIconData& icon, bool hostDrawsEveryMenu)
{
    m_hostDrawsEveryMenu = hostDrawsEveryMenu;
    m_menu->SetMenu(
        MenuForHost(hostDrawsEveryMenu, icon.leftClickMenu.get(), icon.rightClickMenu.get()));
}

void StatusNotifierItem::RegisterWithWatcher()
{
    m_registrationsLeft = kRegistrationTries;
    TryToRegister();
}

void StatusNotifierItem::TryToRegister()
{
    // Registered by its path, so that hosts know the item by this connection's unique name:
    // GNOME's extension, given the well-known name, watches that name too and, when the name's
    // appearance comes after the item's properties, throws them away and drops the icon.
    QDBusMessage registration =
        QDBusMessage::createMethodCall(kStatusNotifierWatcherService, kStatusNotifierWatcherPath,
                                       kStatusNotifierWatcherService, "RegisterStatusNotifierItem");
    auto* pending =
        new QDBusPendingCallWatcher(m_connection.asyncCall(registration << kItemPath), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
        pending->deleteLater();
        // A watcher takes its bus name a moment before it serves its object, and refuses what
        // comes in between.
        if (pending->isError() && --m_registrationsLeft > 0)
            QTimer::singleShot(kRegistrationRetryMs, this, &StatusNotifierItem::TryToRegister);
    });
}

QString StatusNotifierItem::Id() const
{
    return QCoreApplication::applicationName();
}

QDBusObjectPath StatusNotifierItem::MenuPath() const
{
    return QDBusObjectPath(kMenuPath);
}

void StatusNotifierItem::Activate(int x, int y)
{
    Click(kLeftButtonUp, x, y);
}

void StatusNotifierItem::ContextMenu(int x, int y)
{
    Click(kRightButtonUp, x, y);
}

void StatusNotifierItem::SecondaryActivate(int x, int y)
{
    Click(kMiddleButtonUp, x, y);
}

void StatusNotifierItem::Click(unsigned mouseMessage, int x, int y)
{
    if (m_hostDrawsEveryMenu) {
        // GNOME's extension takes exactly this answer as "draw the menu at once on every click";
        // Plasma draws the menu on any refusal.
        sendErrorReply(QDBusError::UnknownMethod,
                       QStringLiteral("The host draws this item's menu itself"));
        return;
    }
    m_onClick(mouseMessage, {x, y});
}

QDBusArgument& operator<<(QDBusArgument& argument, const SniIconPixmap& pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SniIconPixmap& pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.image << toolTip.title << toolTip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.image >> toolTip.title >> toolTip.text;
    argument.endStructure();
    return argument;
}

} // namespace platform
