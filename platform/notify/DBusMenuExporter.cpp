#include "notify/DBusMenuExporter.h"

#include "qt/DisplayText.h"

#include <QDBusMetaType>
#include <QMetaObject>

namespace platform {

namespace {

constexpr int kFirstStructureId = 0x10000;

// DBusMenu marks a mnemonic with '_'; names are shown as typed.
QString Label(const std::string& text)
{
    return DisplayText(text).replace('_', QStringLiteral("__"));
}

void Fill(DBusMenuLayoutItem& parent, const Menu& menu, int& nextStructureId)
{
    for (int position = 0; position < menu.GetMenuItemCount(); ++position) {
        const MenuItem& item = *menu.ItemAt(position);
        DBusMenuLayoutItem& child = parent.children.emplace_back();
        switch (item.type) {
        case MenuItem::Type::Command:
            child.id = static_cast<int>(item.id);
            child.properties["label"] = Label(item.text);
            break;
        case MenuItem::Type::Separator:
            child.id = nextStructureId++;
            child.properties["type"] = QStringLiteral("separator");
            break;
        case MenuItem::Type::Popup:
            child.id = nextStructureId++;
            child.properties["label"] = Label(item.text);
            child.properties["children-display"] = QStringLiteral("submenu");
            Fill(child, *item.popup, nextStructureId);
            break;
        }
    }
}

QVariantMap Chosen(const QVariantMap& properties, const QStringList& names)
{
    if (names.isEmpty())
        return properties;
    QVariantMap chosen;
    for (const QString& name : names) {
        if (properties.contains(name))
            chosen.insert(name, properties.value(name));
    }
    return chosen;
}

// The item with its children down to the depth (-1: all of them).
DBusMenuLayoutItem Layout(const DBusMenuLayoutItem& item, int depth, const QStringList& names)
{
    DBusMenuLayoutItem layout{item.id, Chosen(item.properties, names), {}};
    if (depth != 0) {
        for (const DBusMenuLayoutItem& child : item.children)
            layout.children.push_back(Layout(child, depth - 1, names));
    }
    return layout;
}

const DBusMenuLayoutItem* FindIn(const DBusMenuLayoutItem& item, int id)
{
    if (item.id == id)
        return &item;
    for (const DBusMenuLayoutItem& child : item.children) {
        if (const DBusMenuLayoutItem* found = FindIn(child, id))
            return found;
    }
    return nullptr;
}

void RegisterTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusMenuLayoutItem>();
        qDBusRegisterMetaType<DBusMenuItemProperties>();
        qDBusRegisterMetaType<QList<DBusMenuItemProperties>>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<QList<DBusMenuEvent>>();
        return true;
    }();
    (void)registered;
}

} // namespace

DBusMenuExporter::DBusMenuExporter(Handlers handlers, QObject* parent)
    : QObject(parent), m_handlers(std::move(handlers))
{
    RegisterTypes();
    m_root.properties["children-display"] = QStringLiteral("submenu");
}

void DBusMenuExporter::SetMenu(const Menu& menu)
{
    m_root.children.clear();
    int nextStructureId = kFirstStructureId;
    Fill(m_root, menu, nextStructureId);
    emit LayoutUpdated(++m_revision, 0);
}

const DBusMenuLayoutItem* DBusMenuExporter::Find(int id) const
{
    return FindIn(m_root, id);
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 DBusMenuLayoutItem& layout)
{
    if (const DBusMenuLayoutItem* parent = Find(parentId))
        layout = Layout(*parent, recursionDepth, propertyNames);
    else
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No such menu item"));
    return m_revision;
}

QList<DBusMenuItemProperties> DBusMenuExporter::GetGroupProperties(const QList<int>& ids,
                                                                   const QStringList& propertyNames)
{
    QList<DBusMenuItemProperties> items;
    for (int id : ids) {
        if (const DBusMenuLayoutItem* item = Find(id))
            items.append({id, Chosen(item->properties, propertyNames)});
    }
    return items;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name)
{
    const DBusMenuLayoutItem* item = Find(id);
    if (!item || !item->properties.contains(name)) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No such property"));
        return QDBusVariant(QString());
    }
    return QDBusVariant(item->properties.value(name));
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint)
{
    if (eventId == "opened" && id == 0) {
        m_handlers.onOpened();
    } else if (eventId == "clicked" && id > 0 && id < kFirstStructureId && Find(id)) {
        // The command may run a dialog; the host must have its answer first.
        QMetaObject::invokeMethod(
            this, [this, id] { m_handlers.onCommand(static_cast<unsigned>(id)); },
            Qt::QueuedConnection);
    }
}

QList<int> DBusMenuExporter::EventGroup(const QList<DBusMenuEvent>& events)
{
    QList<int> idErrors;
    for (const DBusMenuEvent& event : events) {
        if (Find(event.id))
            Event(event.id, event.eventId, event.data, event.timestamp);
        else
            idErrors.append(event.id);
    }
    return idErrors;
}

bool DBusMenuExporter::AboutToShow(int id)
{
    if (id == 0)
        m_handlers.onOpened();
    return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
{
    for (int id : ids) {
        if (Find(id))
            AboutToShow(id);
        else
            idErrors.append(id);
    }
    return {};
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const DBusMenuLayoutItem& child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    item.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.push_back(qdbus_cast<DBusMenuLayoutItem>(child.variant()));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

} // namespace platform
