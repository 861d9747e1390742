#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <optional>
#include <string>

class QDBusMessage;

namespace platform {

// Where the StatusNotifierWatcher is found on the session bus, by the watch and by the icons that
// register with it.
inline const QString kStatusNotifierWatcherService =
    QStringLiteral("org.kde.StatusNotifierWatcher");
inline const QString kStatusNotifierWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// What the session bus tells about the StatusNotifierWatcher: who owns its name, the program
// that owner runs in, and whether a host has registered with it. Learned by asynchronous calls
// and the bus's signals only: a watcher that never answers (a frozen panel) leaves the answer
// unknown and never holds up the program.
class StatusNotifierWatch : public QObject
{
    Q_OBJECT

public:
    explicit StatusNotifierWatch(const QDBusConnection& bus);

    // Nothing while unknown; false without a watcher.
    std::optional<bool> HostRegistered() const { return m_hostRegistered; }
    // Nothing while unknown; empty when the owner's process could not be told.
    const std::optional<std::string>& WatcherProgram() const { return m_program; }
    // Asks for whatever is unknown, at most one question of each kind at a time.
    void Look();
    void SetListener(std::function<void(bool newWatcher)> listener);

private slots:
    // The watcher's signals: a host came, or one went (others may remain: ask again).
    void OnHostRegisteredSignal();
    void OnHostUnregisteredSignal();

private:
    void Ask(const QDBusMessage& call, std::function<void(const QDBusMessage&)> onReply);
    void OnOwner(const QString& owner);
    void OnHostRegistered(bool registered);
    void OnProgram(std::string program);
    void Changed(bool newWatcher);

    QDBusConnection m_bus;
    std::optional<QString> m_owner; // empty: no watcher
    std::optional<bool> m_hostRegistered;
    std::optional<std::string> m_program;
    bool m_askingOwner = false;
    bool m_askingHost = false;
    bool m_askingProgram = false;
    std::function<void(bool newWatcher)> m_listener;
};

} // namespace platform
