#include "notify/TrayHostProbe.h"

#include "notify/StatusNotifierWatch.h"
#include "notify/X11Connection.h"

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// The X screen the program's display names (":0.1" is screen 1), as Qt connects to it.
int DisplayScreenNumber()
{
    const char* display = std::getenv("DISPLAY");
    const char* colon = display ? std::strrchr(display, ':') : nullptr;
    const char* dot = colon ? std::strchr(colon, '.') : nullptr;
    return dot ? std::atoi(dot + 1) : 0;
}

} // namespace

DesktopTrayHostProbe::DesktopTrayHostProbe(const QDBusConnection& bus)
    : m_watch(std::make_unique<StatusNotifierWatch>(bus))
{}

DesktopTrayHostProbe::~DesktopTrayHostProbe() = default;

std::optional<bool> DesktopTrayHostProbe::StatusNotifierHostRegistered() const
{
    return m_watch->HostRegistered();
}

std::optional<std::string> DesktopTrayHostProbe::WatcherProgram() const
{
    return m_watch->WatcherProgram();
}

void DesktopTrayHostProbe::Look()
{
    m_watch->Look();
}

void DesktopTrayHostProbe::SetListener(std::function<void(bool newWatcher)> listener)
{
    m_watch->SetListener(std::move(listener));
}

bool DesktopTrayHostProbe::XEmbedTrayOwned() const
{
    xcb_connection_t* connection = X11Connection();
    if (!connection)
        return false;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DisplayScreenNumber());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.data()),
        nullptr);
    bool owned = false;
    if (atom && atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        owned = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
    }
    std::free(atom);
    return owned;
}

} // namespace platform
