#include "dbus/DBusModemManager.h"

#include "text/TextEncoding.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QVariantMap>

namespace platform {

namespace {

const QString kService = "org.freedesktop.ModemManager1";
const QString kRoot = "/org/freedesktop/ModemManager1";
const QString kObjectManager = "org.freedesktop.DBus.ObjectManager";
const QString kModemInterface = "org.freedesktop.ModemManager1.Modem";
const QString kVoiceInterface = "org.freedesktop.ModemManager1.Modem.Voice";
const QString kCallInterface = "org.freedesktop.ModemManager1.Call";
// ModemManager answers questions and makes call objects at once; placing a call may take as
// long as the network needs to reach the other side, and the user can cancel it meanwhile.
constexpr int kAskTimeoutMs = 5000;
constexpr int kCreateTimeoutMs = 10000;
constexpr int kStartTimeoutMs = 120000;

QDBusMessage Message(const QString& path, const QString& interface, const QString& method,
                     const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    // Asking must never be what starts ModemManager, which would then take the modem.
    message.setAutoStartService(false);
    return message;
}

bool Failed(const QDBusMessage& reply)
{
    return reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty();
}

bool NotRunning(const QDBusError& error)
{
    return error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoServer ||
           error.type() == QDBusError::Disconnected;
}

// Why a call failed, as a sentence for the user rather than the bus's own words.
std::string Reason(const QDBusMessage& reply)
{
    const QDBusError error(reply);
    switch (error.type()) {
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return "ModemManager did not answer.";
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
        return "ModemManager is not running.";
    case QDBusError::AccessDenied:
        return "This user may not place calls through ModemManager.";
    default:
        break;
    }
    const std::string text = error.message().trimmed().toStdString();
    if (text.empty())
        return "ModemManager failed (" + error.name().toStdString() + ").";
    return text.ends_with('.') ? text : text + ".";
}

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

struct ManagedModem
{
    QString path;
    bool voice = false;
};

// The modem that lists the port, in the reply of the object manager's GetManagedObjects.
std::optional<ManagedModem> ModemOfPort(const QDBusMessage& managedObjects, const QString& port)
{
    std::optional<ManagedModem> found;
    const QDBusArgument objects = managedObjects.arguments().at(0).value<QDBusArgument>();
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
                hasPort = ListsPort(properties.value("Ports"), port);
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

// A call object that ModemManager makes after its maker gave up on it is deleted once it exists.
void DeleteWhenCreated(QDBusConnection bus, const QString& modem, const QDBusPendingCall& creating)
{
    auto* watcher = new QDBusPendingCallWatcher(creating);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher,
        [bus, modem](QDBusPendingCallWatcher* created) {
            const QDBusMessage reply = created->reply();
            if (!Failed(reply))
                bus.send(Message(modem, kVoiceInterface, "DeleteCall", {reply.arguments().at(0)}));
            created->deleteLater();
        });
}

} // namespace

DBusModemManager::DBusModemManager(QDBusConnection bus) : m_bus(std::move(bus)) {}

DBusModemManager::~DBusModemManager()
{
    if (!m_placed)
        HangUp();
}

void DBusModemManager::Ask(const QString& path, const QString& interface, const QString& method,
                           const QVariantList& arguments, int timeoutMs, ReplyHandler handle)
{
    Watch(m_bus.asyncCall(Message(path, interface, method, arguments), timeoutMs),
          std::move(handle));
}

void DBusModemManager::Watch(const QDBusPendingCall& call, ReplyHandler handle)
{
    auto deliver = [this, generation = m_generation,
                    handle = std::move(handle)](const QDBusMessage& reply) {
        if (generation == m_generation)
            handle(reply);
    };
    // Without a bus the call has failed already, and no watcher would ever say so.
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(
            m_replies.get(), [deliver, reply = call.reply()] { deliver(reply); },
            Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(call, m_replies.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, m_replies.get(),
                     [deliver](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         deliver(finished->reply());
                     });
}

void DBusModemManager::AskHold(const std::filesystem::path& device, HoldAnswer answer)
{
    Ask(kRoot, kObjectManager, "GetManagedObjects", {}, kAskTimeoutMs,
        [port = PortName(device), answer = std::move(answer)](const QDBusMessage& reply) {
            if (Failed(reply)) {
                answer(NotRunning(QDBusError(reply)) ? Hold::None : Hold::Unknown);
                return;
            }
            const std::optional<ManagedModem> modem = ModemOfPort(reply, port);
            answer(!modem ? Hold::None : modem->voice ? Hold::WithVoice : Hold::WithoutVoice);
        });
}

void DBusModemManager::StartCall(const std::filesystem::path& device, const std::string& number,
                                 CallAnswer answer)
{
    HangUp();
    Ask(kRoot, kObjectManager, "GetManagedObjects", {}, kAskTimeoutMs,
        [this, device, number, answer = std::move(answer)](const QDBusMessage& reply) {
            if (Failed(reply)) {
                answer(Reason(reply));
                return;
            }
            const std::optional<ManagedModem> modem = ModemOfPort(reply, PortName(device));
            if (!modem || !modem->voice) {
                answer("ModemManager offers no voice calls on " + device.string() + ".");
                return;
            }
            CreateCall(modem->path, number, answer);
        });
}

void DBusModemManager::CreateCall(const QString& modem, const std::string& number,
                                  CallAnswer answer)
{
    m_modem = modem;
    const QVariantMap properties{{"number", QString::fromStdString(AsUtf8(number))}};
    m_creating = m_bus.asyncCall(
        Message(modem, kVoiceInterface, "CreateCall", {QVariant::fromValue(properties)}),
        kCreateTimeoutMs);
    Watch(*m_creating, [this, answer = std::move(answer)](const QDBusMessage& reply) {
        m_creating.reset();
        if (Failed(reply)) {
            answer(Reason(reply));
            return;
        }
        m_call = reply.arguments().at(0).value<QDBusObjectPath>().path();
        StartCreatedCall(answer);
    });
}

void DBusModemManager::StartCreatedCall(CallAnswer answer)
{
    Ask(m_call, kCallInterface, "Start", {}, kStartTimeoutMs,
        [this, answer = std::move(answer)](const QDBusMessage& reply) {
            if (reply.type() != QDBusMessage::ReplyMessage) {
                HangUp();
                answer(Reason(reply));
                return;
            }
            m_placed = true;
            answer(std::nullopt);
        });
}

void DBusModemManager::HangUp()
{
    ++m_generation;
    if (m_creating)
        DeleteWhenCreated(m_bus, m_modem, *m_creating);
    if (!m_call.isEmpty()) {
        // Deleting the call would end it too; the hang-up comes first so that it ends at once.
        m_bus.send(Message(m_call, kCallInterface, "Hangup"));
        m_bus.send(Message(m_modem, kVoiceInterface, "DeleteCall",
                           {QVariant::fromValue(QDBusObjectPath(m_call))}));
    }
    m_creating.reset();
    m_call.clear();
    m_modem.clear();
    m_placed = false;
}

} // namespace platform
