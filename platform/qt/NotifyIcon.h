#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <map>
#include <string>

namespace platform {

// Mouse messages of the notification-icon callback, numbered as on the original platform.
constexpr unsigned kLeftButtonUp = 514;
constexpr unsigned kLeftButtonDoubleClick = 515;
constexpr unsigned kRightButtonUp = 517;
constexpr unsigned kMiddleButtonUp = 520;

struct NotifyIconData
{
    unsigned id = 0;
    QIcon icon;
    std::string tip;
};

// The desktop's notification area: icons added and deleted by id, and one callback that
// receives the icon id and the mouse message of every click on one of them.
class NotifyIconService
{
public:
    using Callback = std::function<void(unsigned iconId, unsigned mouseMessage)>;

    virtual ~NotifyIconService() = default;
    // True when the icon is registered; it shows now or, when the desktop has no notification
    // area at the moment, as soon as one appears.
    virtual bool Add(const NotifyIconData& icon) = 0;
    virtual bool Delete(unsigned id) = 0;
    virtual void SetCallback(Callback callback) = 0;
    // Whether the desktop has a notification area right now.
    virtual bool IsAreaAvailable() const = 0;
};

// The notification area through QSystemTrayIcon. Menus are never attached to the icons
// (an XEmbed tray would show a second menu of its own); clicks arrive as activations and are
// turned into the mouse messages above.
class SystemTrayIconService : public QObject, public NotifyIconService
{
public:
    SystemTrayIconService();
    ~SystemTrayIconService() override;

    bool Add(const NotifyIconData& icon) override;
    bool Delete(unsigned id) override;
    void SetCallback(Callback callback) override;
    bool IsAreaAvailable() const override;

    // The mouse message for an activation, 0 for one that carries no click.
    static unsigned MouseMessageFor(QSystemTrayIcon::ActivationReason reason);

private:
    void OnActivated(unsigned id, QSystemTrayIcon::ActivationReason reason);

    std::map<unsigned, QSystemTrayIcon*> m_icons; // children of the service
    Callback m_callback;
};

} // namespace platform
