#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The user's home folder as $HOME names it; nothing when it is unset or relative.
std::optional<std::filesystem::path> HomeFolder();

// A user's base folder as the XDG variable names it (e.g. XDG_CONFIG_HOME), else the usual
// folder below $HOME (".config"); relative paths count as unset. Nothing when neither is set.
std::optional<std::filesystem::path> UserFolder(const char* variable, const std::string& belowHome);

} // namespace platform
