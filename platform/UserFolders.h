#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// A user's base folder as the XDG variable names it (e.g. XDG_CONFIG_HOME), else the usual
// folder below $HOME (".config"); relative paths count as unset. Nothing when neither is set.
std::optional<std::filesystem::path> UserFolder(const char* variable, const std::string& belowHome);

} // namespace platform
