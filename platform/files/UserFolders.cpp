#include "files/UserFolders.h"

#include <cstdlib>

namespace platform {

std::optional<std::filesystem::path> HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home == '/')
        return std::filesystem::path(home);
    return std::nullopt;
}

std::optional<std::filesystem::path> UserFolder(const char* variable, const std::string& belowHome)
{
    const char* folder = std::getenv(variable);
    if (folder && *folder == '/')
        return std::filesystem::path(folder);
    if (std::optional<std::filesystem::path> home = HomeFolder())
        return *home / belowHome;
    return std::nullopt;
}

} // namespace platform
