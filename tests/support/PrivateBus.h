#pragma once

#include "ChildProcess.h"
#include "TempFolder.h"
#include "WaitUntil.h"

#include <QDBusConnection>
#include <string>
#include <vector>

namespace testsupport {

// A D-Bus daemon of the test's own, so that no test sees or changes the user's session bus.
class PrivateBus
{
public:
    explicit PrivateBus(const std::string& daemon)
        : m_daemon(daemon, {"--session", "--nofork", "--nopidfile", "--address=" + Address()})
    {}
    ~PrivateBus()
    {
        for (const QString& name : m_names)
            QDBusConnection::disconnectFromBus(name);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    std::string Address() const { return "unix:path=" + (m_folder / "bus").string(); }

    // A connection of its own under the name; not connected when the daemon never came up.
    QDBusConnection Connect(const QString& name)
    {
        m_names.push_back(name);
        QDBusConnection connection("");
        WaitUntil([&] {
            QDBusConnection::disconnectFromBus(name);
            connection = QDBusConnection::connectToBus(QString::fromStdString(Address()), name);
            return connection.isConnected();
        });
        return connection;
    }

private:
    TempFolder m_folder;
    ChildProcess m_daemon;
    std::vector<QString> m_names;
};

} // namespace testsupport
