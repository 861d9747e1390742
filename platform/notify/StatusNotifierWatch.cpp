#include "notify/StatusNotifierWatch.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTimer>
#include <fstream>

namespace platform {

namespace {

const QString kBusService = QStringLiteral("org.freedesktop.DBus");

// A watcher that answers later than this, or refuses, is asked again a little later.
constexpr int kAnswerTimeoutMs = 2000;
constexpr int kAskAgainMs = 250;

QDBusMessage BusCall(const char* method, const QString& argument)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kBusService, "/org/freedesktop/DBus", kBusService, method);
    return call << argument;
}

// The name the kernel keeps for the process (its executable's, at most 15 characters).
std::string ProgramOfProcess(unsigned pid)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string program;
    std::getline(comm, program);
    return program;
}

} // namespace

StatusNotifierWatch::StatusNotifierWatch(const QDBusConnection& bus) : m_bus(bus)
{
    auto* owners = new QDBusServiceWatcher(kStatusNotifierWatcherService, m_bus,
                                           QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owners, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { OnOwner(owner); });
    // From any sender: naming the service would make Qt ask the bus for its owner and wait.
    m_bus.connect({}, kStatusNotifierWatcherPath, kStatusNotifierWatcherService,
                  "StatusNotifierHostRegistered", this, SLOT(OnHostRegisteredSignal()));
    m_bus.connect({}, kStatusNotifierWatcherPath, kStatusNotifierWatcherService,
                  "StatusNotifierHostUnregistered", this, SLOT(OnHostUnregisteredSignal()));
    Look();
}

void StatusNotifierWatch::SetListener(std::function<void(bool newWatcher)> listener)
{
    m_listener = std::move(listener);
}

void StatusNotifierWatch::Look()
{
    if (!m_owner) {
        if (!m_askingOwner) {
            m_askingOwner = true;
            Ask(BusCall("GetNameOwner", kStatusNotifierWatcherService),
                [this](const QDBusMessage& reply) {
                    m_askingOwner = false;
                    if (reply.type() == QDBusMessage::ReplyMessage)
                        OnOwner(reply.arguments().value(0).toString());
                    else if (reply.errorName() == "org.freedesktop.DBus.Error.NameHasNoOwner")
                        OnOwner({});
                });
        }
        return;
    }
    const QString owner = *m_owner;
    if (owner.isEmpty())
        return;
    if (!m_hostRegistered && !m_askingHost) {
        m_askingHost = true;
        QDBusMessage get = QDBusMessage::createMethodCall(owner, kStatusNotifierWatcherPath,
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << kStatusNotifierWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
        Ask(get, [this, owner](const QDBusMessage& reply) {
            m_askingHost = false;
            if (owner != m_owner)
                return;
            if (reply.type() == QDBusMessage::ReplyMessage)
                OnHostRegistered(
                    qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toBool());
            else // a watcher that has its name but does not serve yet, or did not answer
                QTimer::singleShot(kAskAgainMs, this, &StatusNotifierWatch::Look);
        });
    }
    if (!m_program && !m_askingProgram) {
        m_askingProgram = true;
        Ask(BusCall("GetConnectionUnixProcessID", owner), [this, owner](const QDBusMessage& reply) {
            m_askingProgram = false;
            if (owner != m_owner)
                return;
            const bool answered = reply.type() == QDBusMessage::ReplyMessage;
            OnProgram(answered ? ProgramOfProcess(reply.arguments().value(0).toUInt()) : "");
        });
    }
}

void StatusNotifierWatch::Ask(const QDBusMessage& call,
                              std::function<void(const QDBusMessage&)> onReply)
{
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kAnswerTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [pending, onReply] {
        pending->deleteLater();
        onReply(pending->reply());
    });
}

void StatusNotifierWatch::OnOwner(const QString& owner)
{
    if (m_owner == owner)
        return;
    m_owner = owner;
    m_hostRegistered = owner.isEmpty() ? std::optional(false) : std::nullopt;
    m_program.reset();
    Look();
    Changed(false);
}

void StatusNotifierWatch::OnHostRegistered(bool registered)
{
    if (m_hostRegistered == registered)
        return;
    m_hostRegistered = registered;
    Changed(false);
}

void StatusNotifierWatch::OnProgram(std::string program)
{
    m_program = std::move(program);
    Changed(true);
}

void StatusNotifierWatch::OnHostRegisteredSignal()
{
    OnHostRegistered(true);
}

void StatusNotifierWatch::OnHostUnregisteredSignal()
{
    m_hostRegistered.reset();
    Look();
}

void StatusNotifierWatch::Changed(bool newWatcher)
{
    if (m_listener)
        m_listener(newWatcher);
}

} // namespace platform
