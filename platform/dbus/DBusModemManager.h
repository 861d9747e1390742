#pragma once

#include "ModemManager.h"

#include <QDBusConnection>
#include <QString>

namespace platform {

// ModemManager over its public D-Bus interface (org.freedesktop.ModemManager1) on the system bus:
// the modem objects of its object manager with their ports, the Voice interface's CreateCall and
// DeleteCall, and the Call interface's Start and Hangup. The service is never started for this:
// where it does not run, it holds nothing.
class DBusModemManager : public ModemManager
{
public:
    explicit DBusModemManager(QDBusConnection bus = QDBusConnection::systemBus());
    ~DBusModemManager() override;
    DBusModemManager(const DBusModemManager&) = delete;
    DBusModemManager& operator=(const DBusModemManager&) = delete;

    Hold Holds(const std::filesystem::path& device) override;
    std::optional<std::string> StartCall(const std::filesystem::path& device,
                                         const std::string& number) override;
    void HangUp() override;

private:
    struct ManagedModem
    {
        QString path;
        bool voice = false;
    };
    std::optional<ManagedModem> FindModem(const std::filesystem::path& device);

    QDBusConnection m_bus;
    QString m_modem;
    QString m_call;
};

} // namespace platform
