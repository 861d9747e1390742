#pragma once

#include <functional>
#include <string>

namespace tray {

// Reads one environment variable; empty when it is not set.
using EnvironmentLookup = std::function<std::string(const char* name)>;

// The Qt platform the tray program runs on, or empty to leave Qt its own choice. In a Wayland
// session that has XWayland the program runs as an X client: a Wayland client gets no pointer
// position and no icon position, so its popup menus would open at the screen's corner, and it
// cannot centre its dialogs, while an X client does both. TELMO_QT_PLATFORM chooses for the user
// ("wayland" keeps the program native); an explicit QT_QPA_PLATFORM other than Wayland stands.
std::string QtPlatformFor(const EnvironmentLookup& environment);

} // namespace tray
