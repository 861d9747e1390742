#pragma once

// Services of the machine reached over D-Bus: ModemManager (serial/ModemManager.h) on the system
// bus, a library of its own so that the dialing logic is tested against a fake and this library
// against a mock service on a private bus. Every call is asynchronous with a timeout, so that a
// slow or hung service never holds up the user interface, and no service is started for Telmo.

#include "serial/ModemManager.h"

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>
#include <memory>

namespace platform {

// ModemManager over its public D-Bus interface (org.freedesktop.ModemManager1) on the system bus:
// the modem objects of its object manager with their ports, the Voice interface's CreateCall and
// DeleteCall, and the Call interface's Start and Hangup. Every call is asynchronous, with a
// timeout that fits it. The service is never started for this: where it does not run, it holds
// nothing.
class DBusModemManager : public ModemManager
{
public:
    explicit DBusModemManager(QDBusConnection bus = QDBusConnection::systemBus());
    ~DBusModemManager() override;
    DBusModemManager(const DBusModemManager&) = delete;
    DBusModemManager& operator=(const DBusModemManager&) = delete;

    void AskHold(const std::filesystem::path& device, HoldAnswer answer) override;
    void StartCall(const std::filesystem::path& device, const std::string& number,
                   CallAnswer answer) override;
    void HangUp() override;

private:
    using ReplyHandler = std::function<void(const QDBusMessage& reply)>;

    // Calls a method of ModemManager; `handle` gets the reply unless HangUp or the end of this
    // object comes first.
    void Ask(const QString& path, const QString& interface, const QString& method,
             const QVariantList& arguments, int timeoutMs, ReplyHandler handle);
    void Watch(const QDBusPendingCall& call, ReplyHandler handle);
    void CreateCall(const QString& modem, const std::string& number, CallAnswer answer);
    void StartCreatedCall(CallAnswer answer);

    QDBusConnection m_bus;
    // The receiver of the replies still to come; they go with it.
    std::unique_ptr<QObject> m_replies = std::make_unique<QObject>();
    // Replies to questions asked before the last HangUp are not heard.
    unsigned m_generation = 0;
    QString m_modem;
    QString m_call;
    std::optional<QDBusPendingCall> m_creating; // a CreateCall not yet answered
    bool m_placed = false;
};

} // namespace platform
