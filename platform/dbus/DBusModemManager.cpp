#include "DBusModemManager.h"

#include "TextEncoding.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace platform {

namespace {

const QString kService = "org.freedesktop.ModemManager1";
const QString kRoot = "/org/freedesktop/ModemManager1";
const QString kObjectManager = "org.freedesktop.DBus.ObjectManager";
const QString kModemInterface = "org.freedesktop.ModemManager1.Modem";
const QString kVoiceInterface = "org.freedesktop.ModemManager1.Modem.Voice";
const QString kCallInterface = "org.freedesktop.ModemManager1.Call";
// ModemManager answers at once; a modem that hangs must not hang the dial for long.
constexpr int kTimeoutMs = 10000;

// The port name ModemManager knows a device by: the kernel's name, its links followed.
QString PortName(const std::filesystem::path& device)
{
    std::error_code error;
    std::filesystem::path real = std::filesystem::canonical(device, error);
    return QString::fromStdString((error ? device : real).filename().string());
}

// Whether the "Ports" property, an array of (name, type), lists the port.
bool ListsPort(const QVariant& ports, const QString& wanted)
{
    if (!ports.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument list = ports.value<QDBusArgument>();
    bool found = false;
    list.beginArray();
    while (!list.atEnd()) {
        QString name;
        uint type = 0;
        list.beginStructure();
        list >> name >> type;
        list.endStructure();
        found = found || name == wanted;
    }
    list.endArray();
    return found;
}

QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    // Asking must never be what starts ModemManager, which would then take the modem.
    message.setAutoStartService(false);
    return message;
}

} // namespace

DBusModemManager::DBusModemManager(QDBusConnection bus) : m_bus(std::move(bus)) {}

DBusModemManager::~DBusModemManager()
{
    HangUp();
}

std::optional<DBusModemManager::ManagedModem>
DBusModemManager::FindModem(const std::filesystem::path& device)
{
    if (!m_bus.isConnected())
        return std::nullopt;
    QDBusMessage reply =
        m_bus.call(Call(kRoot, kObjectManager, "GetManagedObjects"), QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;

    QString wanted = PortName(device);
    std::optional<ManagedModem> found;
    const QDBusArgument objects = reply.arguments().at(0).value<QDBusArgument>();
    objects.beginMap();
    while (!objects.atEnd()) {
        QDBusObjectPath path;
        objects.beginMapEntry();
        objects >> path;
        ManagedModem modem{path.path(), false};
        bool hasPort = false;
        objects.beginMap();
        while (!objects.atEnd()) {
            QString interface;
            QVariantMap properties;
            objects.beginMapEntry();
            objects >> interface >> properties;
            objects.endMapEntry();
            if (interface == kModemInterface)
                hasPort = ListsPort(properties.value("Ports"), wanted);
            modem.voice = modem.voice || interface == kVoiceInterface;
        }
        objects.endMap();
        objects.endMapEntry();
        if (hasPort && !found)
            found = modem;
    }
    objects.endMap();
    return found;
}

ModemManager::Hold DBusModemManager::Holds(const std::filesystem::path& device)
{
    std::optional<ManagedModem> modem = FindModem(device);
    if (!modem)
        return Hold::None;
    return modem->voice ? Hold::WithVoice : Hold::WithoutVoice;
}

std::optional<std::string> DBusModemManager::StartCall(const std::filesystem::path& device,
                                                       const std::string& number)
{
    HangUp();
    std::optional<ManagedModem> modem = FindModem(device);
    if (!modem || !modem->voice)
        return "ModemManager offers no voice calls on " + device.string() + ".";

    QVariantMap properties{{"number", QString::fromStdString(AsUtf8(number))}};
    QDBusMessage created = m_bus.call(
        Call(modem->path, kVoiceInterface, "CreateCall", {QVariant::fromValue(properties)}),
        QDBus::Block, kTimeoutMs);
    if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty())
        return created.errorMessage().toStdString();
    m_modem = modem->path;
    m_call = created.arguments().at(0).value<QDBusObjectPath>().path();

    QDBusMessage started =
        m_bus.call(Call(m_call, kCallInterface, "Start"), QDBus::Block, kTimeoutMs);
    if (started.type() != QDBusMessage::ReplyMessage) {
        std::string reason = started.errorMessage().toStdString();
        HangUp();
        return reason;
    }
    return std::nullopt;
}

void DBusModemManager::HangUp()
{
    if (m_call.isEmpty())
        return;
    // Deleting the call would end it too; the hang-up comes first so that it ends at once.
    m_bus.call(Call(m_call, kCallInterface, "Hangup"), QDBus::Block, kTimeoutMs);
    m_bus.call(Call(m_modem, kVoiceInterface, "DeleteCall",
                    {QVariant::fromValue(QDBusObjectPath(m_call))}),
               QDBus::Block, kTimeoutMs);
    m_call.clear();
    m_modem.clear();
}

} // namespace platform
