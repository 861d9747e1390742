#pragma once

#include "notify/Menu.h"

#include <optional>

namespace tray {

// The menu resources of the program, loaded afresh on every call: 129 (the entry menu with its
// five template slots) and 145 (the command menu). Nothing for any other number.
std::optional<platform::Menu> LoadMenu(int resourceId);

} // namespace tray
