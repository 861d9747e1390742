#pragma once

#include "notify/Menu.h"

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <vector>

namespace platform {

// The DBusMenu types: an item with its properties and, as variants, its children; an item's
// properties alone; an event as a host sends it.
struct DBusMenuLayoutItem
{
    int id = 0;
    QVariantMap properties;
    std::vector<DBusMenuLayoutItem> children;
};

struct DBusMenuItemProperties
{
    int id = 0;
    QVariantMap properties;
};

struct DBusMenuEvent
{
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

// A menu model as com.canonical.dbusmenu, for a StatusNotifierItem host to draw. Command items
// keep their command ids as DBusMenu ids; popups and separators are numbered above the 16-bit
// command ids, so the two never meet.
class DBusMenuExporter : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ Version)
    Q_PROPERTY(QString TextDirection READ TextDirection)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(QStringList IconThemePath READ IconThemePath)

public:
    struct Handlers
    {
        // A command chosen in the host's drawing, called once the host's call has returned.
        std::function<void(unsigned id)> onCommand;
        // The host opens the menu.
        std::function<void()> onOpened;
    };

    DBusMenuExporter(Handlers handlers, QObject* parent);

    // Shows the menu from now on; hosts that drew the one before are told to fetch it again.
    void SetMenu(const Menu& menu);

    uint Version() const { return 3; }
    QString TextDirection() const { return QStringLiteral("ltr"); }
    QString Status() const { return QStringLiteral("normal"); }
    QStringList IconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   platform::DBusMenuLayoutItem& layout);
    // Qt finds the D-Bus types of slots by the names written here: no aliases.
    QList<platform::DBusMenuItemProperties> GetGroupProperties(const QList<int>& ids,
                                                               const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const QList<platform::DBusMenuEvent>& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void LayoutUpdated(uint revision, int parent);

private:
    const DBusMenuLayoutItem* Find(int id) const;

    Handlers m_handlers;
    DBusMenuLayoutItem m_root;
    uint m_revision = 0;
};

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event);

} // namespace platform

Q_DECLARE_METATYPE(platform::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(platform::DBusMenuItemProperties)
Q_DECLARE_METATYPE(platform::DBusMenuEvent)
