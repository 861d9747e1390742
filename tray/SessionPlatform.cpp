#include "SessionPlatform.h"

namespace tray {

std::string QtPlatformFor(const EnvironmentLookup& environment)
{
    if (std::string chosen = environment("TELMO_QT_PLATFORM"); !chosen.empty())
        return chosen;
    const std::string requested = environment("QT_QPA_PLATFORM");
    const bool requestsWayland = requested.rfind("wayland", 0) == 0;
    if (!requested.empty() && !requestsWayland)
        return {};
    const bool waylandSession = requestsWayland || !environment("WAYLAND_DISPLAY").empty() ||
                                environment("XDG_SESSION_TYPE") == "wayland";
    if (waylandSession && !environment("DISPLAY").empty())
        return "xcb";
    return {};
}

} // namespace tray
