#pragma once

#include <QDBusConnection>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class StatusNotifierWatch;

// Looks at the desktop for the two kinds of notification area, never waiting on the bus.
class TrayHostProbe
{
public:
    virtual ~TrayHostProbe() = default;
    // Whether a StatusNotifierItem host is registered; nothing while the watcher has not answered.
    virtual std::optional<bool> StatusNotifierHostRegistered() const = 0;
    // The program the StatusNotifierWatcher runs in ("gnome-shell"); nothing while unknown, empty
    // when it could not be told.
    virtual std::optional<std::string> WatcherProgram() const = 0;
    virtual bool XEmbedTrayOwned() const = 0;
    // Asks again for what is not known yet; the answers come later.
    virtual void Look() = 0;
    // Called when an answer changed what is known; newWatcher when a watcher took the bus name
    // and its program is known.
    virtual void SetListener(std::function<void(bool newWatcher)> listener) = 0;
};

// The session bus's StatusNotifierWatcher and the X screen's system tray selection.
class DesktopTrayHostProbe : public TrayHostProbe
{
public:
    explicit DesktopTrayHostProbe(const QDBusConnection& bus);
    ~DesktopTrayHostProbe() override;

    std::optional<bool> StatusNotifierHostRegistered() const override;
    std::optional<std::string> WatcherProgram() const override;
    bool XEmbedTrayOwned() const override;
    void Look() override;
    void SetListener(std::function<void(bool newWatcher)> listener) override;

private:
    std::unique_ptr<StatusNotifierWatch> m_watch;
};

} // namespace platform
